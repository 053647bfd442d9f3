#!/usr/bin/env bash
# Runs every benchmark and prints one table: our median and, where a peer is
# measured in the same run, the peer's median and the ratio. As root on
# Debian 12 (useradd, network and mount namespaces need it); nothing runs
# in, or sends to, the host's own network, and nothing is written outside
# temporary folders and a private mount of /var/log.
#
#   bench/run.sh            (BENCH_RUNS, BENCH_REQUESTS pass to daemon_cost.sh)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rows=$work/rows

section() { printf '\n== %s ==\n' "$*"; }
# Runs a benchmark, shows its output and keeps its "row" lines.
measure() {
  "$@" | tee "$work/out"
  grep '^row' "$work/out" >>"$rows" || true
}
size_row() {
  local size
  size=$(numfmt --to=iec-i --suffix=B --format=%.1f "$2")
  echo "$1: $size"
  printf 'row\t%s\t%s\t-\t-\t-\n' "$1" "$size" >>"$rows"
}
stripped_size() {
  "$1" -o "$work/stripped" "$2"
  stat -c %s "$work/stripped"
}

section "Build (presets bench and arm)"
./scripts/install-deps.sh bench
cmake --preset bench >/dev/null
cmake --build --preset bench | tail -n 1
cmake --preset arm >/dev/null
cmake --build --preset arm --target nexa upnp_presence nexa_cgi glib_cgi | tail -n 1
bench=build/bench/bench

section "List operations"
measure "$bench/nexa_list_bench"
section "Accounts and shares"
measure "$bench/nexa_sharing_bench"
section "Event log"
# On the appliance no NEXALIB_ROOT maps the paths: write the system's own
# /var/log, on a scratch file system in a mount namespace of its own.
# shellcheck disable=SC2016 # $0 is the inner shell's
measure unshare --mount sh -c 'mount --make-rprivate / && mount -t tmpfs bench /var/log &&
  exec "$0" 200000 5 system' "$bench/nexa_eventlog_bench"
measure "$bench/nexa_eventlog_bench" 200000 5
section "CGI start-up (x86-64)"
measure "$bench/nexa_cgi_bench" "$bench/nexa_cgi" "$bench/glib_cgi"
section "CGI start-up relocations (ARM, under qemu-user)"
for page in nexa_cgi glib_cgi; do
  count=$(QUERY_STRING=name=x qemu-arm -L /usr/arm-linux-gnueabihf -E LD_DEBUG=statistics \
    -E LD_LIBRARY_PATH="$root/build/arm/libnexa" "build/arm/bench/$page" 2>&1 >/dev/null |
    awk -F: '/final number of relocations:/ { print $NF + 0 }')
  echo "$page: $count relocations"
  printf '%s\n' "$count" >"$work/$page.relocations"
done
printf 'row\tCGI start-up relocations, ARM\t%s\tGLib alone\t%s\t%s\n' \
  "$(cat "$work/nexa_cgi.relocations")" "$(cat "$work/glib_cgi.relocations")" \
  "$(awk -v a="$(cat "$work/nexa_cgi.relocations")" -v b="$(cat "$work/glib_cgi.relocations")" \
    'BEGIN { printf "%.3f", a / b }')" >>"$rows"
section "Daemon cost per request (private test LAN)"
measure bench/daemon_cost.sh build/bench/upnp_presence/upnp_presence

section "Sizes (stripped)"
size_row "upnp_presence, x86-64" "$(stripped_size strip build/bench/upnp_presence/upnp_presence)"
size_row "upnp_presence, ARM" \
  "$(stripped_size arm-linux-gnueabihf-strip build/arm/upnp_presence/upnp_presence)"
size_row "libnexa.so.0, x86-64" "$(stripped_size strip build/bench/libnexa/libnexa.so.0)"
size_row "libnexa.so.0, ARM" "$(stripped_size arm-linux-gnueabihf-strip build/arm/libnexa/libnexa.so.0)"

section "Summary"
cpu=$(awk -F: '/^model name/ { sub(/^ +/, "", $2); print $2; exit }' /proc/cpuinfo)
echo "Machine: $cpu, $(nproc) cores, Linux $(uname -r), Debian $(cat /etc/debian_version)"
echo
echo "| Measure | Ours (median) | Peer | Peer (median) | Ours / peer |"
echo "|---|---|---|---|---|"
awk -F'\t' '{ printf "| %s | %s | %s | %s | %s |\n", $2, $3, $4, $5, $6 }' "$rows"
