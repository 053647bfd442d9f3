# Sourced helpers of the scripts that run things on a private test LAN: the
# one way they wait for something, watch and end the processes they started,
# and take down the network namespaces they made.
# shellcheck shell=bash

# The Python the scripts run their Python parts with: Debian's, for which
# the GUPnP bindings (python3-gi, gir1.2-gupnp-1.6) are installed.
NEXA_PYTHON=${NEXA_PYTHON:-/usr/bin/python3}

# poll_until SECONDS INTERVAL CMD...: tries CMD (a command or a function,
# never shell text) every INTERVAL seconds until it succeeds. True as soon
# as it does; false once SECONDS have passed, after one last try at or past
# that deadline, so CMD always gets at least one. Both times are decimals
# (0.05, 10); the deadline is kept on the time since boot, which no clock
# change moves. CMD runs in this shell, so a function may leave what it saw
# in its caller's variables. A wrong call prints its usage and returns 2.
poll_until() {
  if [ $# -lt 3 ] || ! _poll_is_decimal "$1" || ! _poll_is_decimal "$2"; then
    echo "usage: poll_until SECONDS INTERVAL CMD..." >&2
    return 2
  fi
  # Named apart from whatever CMD may set in the caller.
  local _poll_now _poll_span _poll_deadline _poll_interval=$2
  _poll_hundredths _poll_span "$1"
  _poll_uptime _poll_now
  _poll_deadline=$((_poll_now + _poll_span))
  shift 2
  while true; do
    if "$@"; then return 0; fi
    _poll_uptime _poll_now
    if [ "$_poll_now" -ge "$_poll_deadline" ]; then return 1; fi
    sleep "$_poll_interval"
  done
}

_poll_is_decimal() {
  [[ $1 =~ ^[0-9]+(\.[0-9]*)?$|^\.[0-9]+$ ]]
}

# _poll_hundredths NAME DECIMAL: sets NAME to DECIMAL seconds in hundredths
# (further digits dropped).
_poll_hundredths() {
  local whole=${2%%.*} fraction=""
  if [[ $2 == *.* ]]; then fraction=${2#*.}; fi
  fraction=${fraction}00
  printf -v "$1" '%d' $((10#${whole:-0} * 100 + 10#${fraction:0:2}))
}

# _poll_uptime NAME: sets NAME to the time since boot in hundredths of a
# second (/proc/uptime has two decimals).
_poll_uptime() {
  local up
  read -r up _ </proc/uptime
  printf -v "$1" '%d' $((10#${up/./}))
}

# proc_alive PID: true while PID runs; a finished child not reaped yet
# counts as gone.
proc_alive() {
  local state
  state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ]
}

# proc_none_alive PID...: true when none of them runs any more.
proc_none_alive() {
  local pid
  for pid in "$@"; do
    if proc_alive "$pid"; then return 1; fi
  done
  return 0
}

# proc_end_all PID...: SIGTERM to each, then SIGKILL to those still running
# after 2 s. Never fails.
proc_end_all() {
  local pid
  for pid in "$@"; do kill -TERM "$pid" 2>/dev/null || true; done
  if poll_until 2 0.1 proc_none_alive "$@"; then return 0; fi
  for pid in "$@"; do
    if proc_alive "$pid"; then kill -KILL "$pid" 2>/dev/null || true; fi
  done
  return 0
}

# netns_listens NS tcp|udp PORT: true when a socket inside network
# namespace NS is bound to local PORT (for TCP, listening on it).
netns_listens() {
  local options
  case $2 in
    tcp) options=-ltnH ;;
    udp) options=-uanH ;;
    *)
      echo "netns_listens: no protocol '$2'" >&2
      return 2
      ;;
  esac
  ip netns exec "$1" ss "$options" "sport = :$3" 2>/dev/null | grep -q .
}

# netns_teardown NS... [-- PID...]: ends the processes PID and everything
# else inside the network namespaces NS (only our scripts enter those, so
# all of it is ours), then removes the namespaces, which takes their veth
# pairs and bridges with them. Namespaces already gone are skipped.
# Idempotent and never fails, so it can serve in an EXIT trap.
netns_teardown() {
  local ns
  local -a namespaces=() pids=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do
    namespaces+=("$1")
    shift
  done
  if [ $# -gt 0 ]; then shift; fi
  pids=("$@")
  for ns in "${namespaces[@]}"; do
    if [ -e "/run/netns/$ns" ]; then
      mapfile -t -O "${#pids[@]}" pids < <(ip netns pids "$ns" 2>/dev/null || true)
    fi
  done
  proc_end_all "${pids[@]}"
  for ns in "${namespaces[@]}"; do
    if [ -e "/run/netns/$ns" ]; then ip netns del "$ns" 2>/dev/null || true; fi
  done
  return 0
}
