#!/usr/bin/env bash
# Measures upnp_presence on a private test LAN: HTTP throughput and latency, memory, binary size, idle wake-ups.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# shellcheck source=scripts/lan.sh
. scripts/lan.sh

runs=${BENCH_RUNS:-5}
requests=${BENCH_REQUESTS:-20000}
read -r -a concurrencies <<<"${BENCH_CONCURRENCY:-5 8}"
idle_seconds=${BENCH_IDLE_SECONDS:-60}
watch_period_s=4 # the daemon's interface watch: its only timer while idle

daemon_bin=build/release/upnp_presence/upnp_presence
work=""

bench_cleanup() {
  lan_cleanup
  if [ -n "$work" ]; then rm -rf "$work"; fi
}
trap bench_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

section() { printf '\n== %s ==\n' "$*"; }

# Median of the numbers on standard input (mean of the middle two if even).
median() {
  sort -g | awk '{ v[NR] = $1 } END {
    if (NR == 0) { print "n/a"; exit }
    m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    print m + 0 }'
}

status_kib() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status"; }

# Counts the daemon's own sockets; other descriptors may be inherited from
# whoever started this script, so a plain descriptor count would mislead.
socket_count() { find "/proc/$1/fd" -mindepth 1 -lname 'socket:*' | wc -l; }

# Resident KiB per mapped file (anonymous mappings by their kind), largest first.
resident_by_mapping() {
  awk '/^[0-9a-f]+-[0-9a-f]+ / { name = ($6 == "") ? "[anonymous]" : $6 }
    /^Rss:/ { kib[name] += $2 }
    END { for (n in kib) if (kib[n] > 0) printf "  %6d KiB  %s\n", kib[n], n }' "/proc/$1/smaps" |
    sort -rn
}

# A TcpExt counter of the daemon's namespace (the kernel keeps them per namespace).
tcpext() {
  lan_in_daemon cat /proc/net/netstat | awk -v key="$1" '
    $1 == "TcpExt:" && !names { for (i = 2; i <= NF; i++) col[$i] = i; names = 1; next }
    $1 == "TcpExt:" { print $col[key]; exit }'
}

section "Build (release preset)"
./scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release | tail -n 1
work=$(mktemp -d)
strip -o "$work/upnp_presence.stripped" "$daemon_bin"
binary_bytes=$(stat -c %s "$daemon_bin")
stripped_bytes=$(stat -c %s "$work/upnp_presence.stripped")
echo "binary $binary_bytes bytes, stripped copy $stripped_bytes bytes"

section "Test LAN and daemon"
lan_create
lan_spawn "$LAN_DAEMON_NS" "$daemon_bin" --port 8088 >"$work/daemon.log" 2>&1
pid=$LAN_LAST_PID
port=$(lan_http_port "$LAN_DAEMON_NS" "$pid")
url="http://$LAN_DAEMON_ADDR:$port/"
echo "daemon pid $pid in $LAN_DAEMON_NS, load from $LAN_CLIENT_NS against $url"

section "Idle for $idle_seconds s"
# Let the start-up announcements (all due within half a second) pass first.
sleep 2
idle_hwm=$(status_kib "$pid" VmHWM)
idle_rss_anon=$(status_kib "$pid" RssAnon)
idle_rss_file=$(status_kib "$pid" RssFile)
idle_sockets=$(socket_count "$pid")
vol0=$(status_kib "$pid" voluntary_ctxt_switches)
invol0=$(status_kib "$pid" nonvoluntary_ctxt_switches)
sleep "$idle_seconds"
vol1=$(status_kib "$pid" voluntary_ctxt_switches)
invol1=$(status_kib "$pid" nonvoluntary_ctxt_switches)
# The daemon sleeps only in select, so each voluntary switch is one wake-up.
wakeups=$((vol1 - vol0))
wakeups_per_min=$(awk -v w="$wakeups" -v s="$idle_seconds" 'BEGIN { printf "%.1f", w * 60 / s }')
expected_per_min=$(awk -v p="$watch_period_s" 'BEGIN { printf "%.1f", 60 / p }')
echo "voluntary switches $wakeups, involuntary $((invol1 - invol0)) in $idle_seconds s"
echo "VmHWM $idle_hwm KiB (RssAnon $idle_rss_anon KiB, RssFile $idle_rss_file KiB), $idle_sockets sockets"
echo "resident memory by mapping:"
resident_by_mapping "$pid"

section "HTTP load: $requests requests of GET / per run, $runs runs per concurrency (ab, HTTP/1.0)"
printf '%-4s %-4s %10s %7s %8s %8s %8s %8s %6s %10s\n' \
  conc run 'req/s' failed 'p50 ms' 'p90 ms' 'p99 ms' 'max ms' '>=1s' overflows
for c in "${concurrencies[@]}"; do
  for run in $(seq "$runs"); do
    out=$work/ab-$c-$run
    overflows0=$(tcpext ListenOverflows)
    lan_in_client ab -q -r -n "$requests" -c "$c" -e "$out.csv" -g "$out.tsv" "$url" \
      >"$out.txt" 2>&1 || { echo "ab failed:"; cat "$out.txt"; exit 1; }
    overflows=$(($(tcpext ListenOverflows) - overflows0))
    rps=$(awk '/^Requests per second:/ { print $4 }' "$out.txt")
    failed=$(awk '/^Failed requests:/ { f = $3 } /^Non-2xx responses:/ { n = $3 }
      /^Complete requests:/ { c = $3 } END { print f + n + (want - c) }' want="$requests" "$out.txt")
    p50=$(awk -F, '$1 == 50 { print $2 }' "$out.csv")
    p90=$(awk -F, '$1 == 90 { print $2 }' "$out.csv")
    p99=$(awk -F, '$1 == 99 { print $2 }' "$out.csv")
    max=$(awk '/^ *100%/ { print $2 }' "$out.txt")
    # ttime (total ms per request) is column 5 of ab's per-request table.
    slow=$(awk -F'\t' 'NR > 1 && $5 >= 1000 { n++ } END { print n + 0 }' "$out.tsv")
    printf '%-4s %-4s %10s %7s %8s %8s %8s %8s %6s %10s\n' \
      "$c" "$run" "$rps" "$failed" "$p50" "$p90" "$p99" "$max" "$slow" "$overflows"
    printf '%s %s %s %s %s %s %s %s %s\n' \
      "$c" "$rps" "$failed" "$p50" "$p90" "$p99" "$max" "$slow" "$overflows" >>"$work/results"
    rm -f "$out.tsv"
  done
done

section "After the load"
sleep 1
alive=yes
kill -0 "$pid" 2>/dev/null || alive=no
load_hwm=$(status_kib "$pid" VmHWM)
load_sockets=$(socket_count "$pid")
echo "daemon running: $alive; VmHWM $load_hwm KiB; $load_sockets sockets"
kill -INT "$pid"
stop_status=0
wait "$pid" || stop_status=$?
echo "stopped with SIGINT: exit status $stop_status"

# Column N of the results of concurrency C, as a median or a sum.
col_median() { awk -v c="$1" -v n="$2" '$1 == c { print $n }' "$work/results" | median; }
col_sum() { awk -v c="$1" -v n="$2" '$1 == c { s += $n } END { print s + 0 }' "$work/results"; }
verdict() { if awk "BEGIN { exit !($1) }"; then echo met; else echo "not met"; fi; }

section "Summary (medians over $runs runs)"
row() { printf '%-38s %-24s %-20s %s\n' "$@"; }
row metric measured target verdict
row ------ -------- ------ -------
for c in "${concurrencies[@]}"; do
  rps=$(col_median "$c" 2 | xargs printf '%.0f')
  failed_total=$(col_sum "$c" 3)
  row "requests/s, concurrency $c" "$rps" ">= 8000" "$(verdict "$rps >= 8000")"
  row "failed requests, concurrency $c" "$(col_median "$c" 3) (all runs: $failed_total)" "0" \
    "$(verdict "$failed_total == 0")"
  row "latency p50/p90/p99 ms, concurrency $c" \
    "$(col_median "$c" 4 | xargs printf '%.3f') / $(col_median "$c" 5 | xargs printf '%.3f') / $(col_median "$c" 6 | xargs printf '%.3f')" "" ""
  row "latency max ms, concurrency $c" "$(col_median "$c" 7)" "" ""
  row "requests >= 1 s, concurrency $c" "$(col_median "$c" 8) (all runs: $(col_sum "$c" 8))" "" ""
  row "listen queue overflows, concurrency $c" "$(col_median "$c" 9) (all runs: $(col_sum "$c" 9))" "" ""
done
row "peak RSS idle (VmHWM)" "$idle_hwm KiB" "<= 3072 KiB" "$(verdict "$idle_hwm <= 3072")"
row "  of which file-backed / anonymous" "$idle_rss_file / $idle_rss_anon KiB" "" ""
row "peak RSS after load (VmHWM)" "$load_hwm KiB" "<= 3072 KiB" "$(verdict "$load_hwm <= 3072")"
row "open sockets idle / after load" "$idle_sockets / $load_sockets" "" ""
row "stripped binary" "$stripped_bytes B ($((stripped_bytes / 1024)) KiB)" "<= 204800 B" \
  "$(verdict "$stripped_bytes <= 204800")"
row "wake-ups per minute, idle" "$wakeups_per_min" "<= $expected_per_min (4 s watch)" \
  "$(verdict "$wakeups_per_min <= $expected_per_min + 1")"
row "exit status after SIGINT" "$stop_status" "0" "$(verdict "$stop_status == 0")"
