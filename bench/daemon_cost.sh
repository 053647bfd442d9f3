#!/usr/bin/env bash
# The daemon's cost per description request against MiniDLNA's, measured in
# one run on one private test LAN: CPU time per request (all of the server's
# threads, from the scheduler's own account) over paired load runs, and the
# system calls per request counted by strace over a run one request at a
# time. Prints the figures and, for bench/run.sh, "row" lines.
#
#   bench/daemon_cost.sh DAEMON_BINARY    (as root; BENCH_RUNS, BENCH_REQUESTS)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# shellcheck source=scripts/lan.sh
. scripts/lan.sh

daemon_bin=${1:?usage: $0 DAEMON_BINARY}
runs=${BENCH_RUNS:-5}
requests=${BENCH_REQUESTS:-20000}
traced_requests=2000
work=$(mktemp -d)
cleanup() {
  lan_cleanup
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# CPU nanoseconds the process has used so far, all of its threads.
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ ns += $1 } END { printf "%.0f\n", ns }'; }

median() {
  sort -g | awk '{ v[NR] = $1 } END {
    m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    print m + 0 }'
}

# load PID URL: one ab run; prints the server's CPU microseconds per request.
load() {
  local before after
  before=$(cpu_ns "$1")
  lan_in_client ab -q -r -n "$requests" -c 5 "$2" >"$work/ab.txt" 2>&1 ||
    { cat "$work/ab.txt"; return 1; }
  if ! grep -q '^Failed requests: *0$' "$work/ab.txt" || grep -q '^Non-2xx' "$work/ab.txt"; then
    grep -E '^(Complete|Failed|Non-2xx|Document Length)' "$work/ab.txt" >&2
    return 1
  fi
  after=$(cpu_ns "$1")
  awk -v d=$((after - before)) -v n="$requests" 'BEGIN { printf "%.3f\n", d / n / 1000 }'
}

# syscalls PID URL NAME: system calls per request, one request at a time,
# with the count of each call left in $work/NAME.strace.
syscalls() {
  strace -f -c -o "$work/$3.strace" -p "$1" 2>/dev/null &
  local tracer=$!
  sleep 0.5 # let strace attach
  lan_in_client ab -q -r -n "$traced_requests" -c 1 "$2" >/dev/null 2>&1
  kill -INT "$tracer"
  wait "$tracer" || true
  awk -v n="$traced_requests" '$NF == "total" { printf "%.2f\n", $4 / n }' \
    "$work/$3.strace"
}

lan_create

# upnp_presence, which picks its own HTTP port.
lan_spawn "$LAN_DAEMON_NS" "$daemon_bin" --port 8088 >"$work/presence.log" 2>&1
presence=$LAN_LAST_PID
presence_url="http://$LAN_DAEMON_ADDR:$(lan_http_port "$LAN_DAEMON_NS" "$presence")/"

# MiniDLNA with an empty media folder, logging only errors, on the same link.
mkdir -p "$work/media" "$work/db" "$work/log"
cat >"$work/minidlna.conf" <<EOF
port=8200
network_interface=$LAN_DAEMON_IF
media_dir=$work/media
db_dir=$work/db
log_dir=$work/log
log_level=general,artwork,database,inotify,scanner,metadata,http,ssdp,tivo=error
inotify=no
friendly_name=bench
EOF
lan_spawn "$LAN_DAEMON_NS" /usr/sbin/minidlnad -S -f "$work/minidlna.conf" -P "$work/minidlna.pid" \
  >"$work/minidlna.log" 2>&1
minidlna=$LAN_LAST_PID
minidlna_url="http://$LAN_DAEMON_ADDR:8200/rootDesc.xml"

poll_until 10 0.1 netns_listens "$LAN_DAEMON_NS" tcp 8200
sleep 2 # the start-up announcements and MiniDLNA's media scan pass first

ours=() theirs=()
for ((run = 0; run < runs; run++)); do
  # The order alternates, so neither server always runs on a warmer machine.
  if ((run % 2)); then
    theirs+=("$(load "$minidlna" "$minidlna_url")")
    ours+=("$(load "$presence" "$presence_url")")
  else
    ours+=("$(load "$presence" "$presence_url")")
    theirs+=("$(load "$minidlna" "$minidlna_url")")
  fi
done
our_cpu=$(printf '%s\n' "${ours[@]}" | median)
their_cpu=$(printf '%s\n' "${theirs[@]}" | median)
our_calls=$(syscalls "$presence" "$presence_url" presence)
their_calls=$(syscalls "$minidlna" "$minidlna_url" minidlna)

echo "server CPU per description request, median of $runs runs of $requests (ab -c 5):"
echo "  upnp_presence $our_cpu us, MiniDLNA $their_cpu us"
echo "system calls per request ($traced_requests requests one at a time):"
echo "  upnp_presence $our_calls, MiniDLNA $their_calls"
for server in presence minidlna; do
  awk -v n="$traced_requests" -v server="$server" '$NF != "total" && $NF ~ /^[a-z_0-9]+$/ {
      if ($4 + 0 > 0) calls = calls sprintf(" %s %.2f", $NF, $4 / n) }
    END { print "  " server ":" calls }' "$work/$server.strace"
done
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f\n", a / b }'; }
printf 'row\tdaemon CPU per request\t%s us\tMiniDLNA\t%s us\t%s\n' \
  "$our_cpu" "$their_cpu" "$(ratio "$our_cpu" "$their_cpu")"
printf 'row\tdaemon system calls per request\t%s\tMiniDLNA\t%s\t%s\n' \
  "$our_calls" "$their_calls" "$(ratio "$our_calls" "$their_calls")"
