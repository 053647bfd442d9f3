# Sourced helpers that build and tear down a private two-namespace test LAN for upnp_presence.
# shellcheck shell=bash
#
# The daemon multicasts on every interface it sees, so it must only ever run
# in a namespace of ours whose sole link leads to another namespace of ours.
#
# Usage (from a bash script with `set -euo pipefail`):
#   . scripts/lan.sh
#   trap lan_cleanup EXIT
#   trap 'exit 130' INT
#   trap 'exit 143' TERM
#   lan_create
#   lan_spawn "$LAN_DAEMON_NS" upnp_presence --port 8088 >daemon.log 2>&1
#   port=$(lan_http_port "$LAN_DAEMON_NS" "$LAN_LAST_PID")

# The shell's PID keeps concurrent runs (and leftovers of a crashed run) apart.
LAN_DAEMON_NS="nexa-lan-daemon-$$"
LAN_CLIENT_NS="nexa-lan-client-$$"
LAN_DAEMON_IF="nxd$$"          # interface names are limited to 15 bytes
LAN_CLIENT_IF="nxc$$"
LAN_DAEMON_ADDR="192.168.1.20"
LAN_CLIENT_ADDR="192.168.1.10"
LAN_PREFIX_LEN=24
LAN_PIDS=()
LAN_LAST_PID=""
# shellcheck source=scripts/processes.sh
. "$(dirname "${BASH_SOURCE[0]}")/processes.sh"

lan_in_daemon() { ip netns exec "$LAN_DAEMON_NS" "$@"; }
lan_in_client() { ip netns exec "$LAN_CLIENT_NS" "$@"; }

# Starts "$@" in the background inside namespace NS. Its PID (the command's
# own: ip netns exec replaces itself with it) is left in LAN_LAST_PID, and
# lan_cleanup ends it if it still runs. Redirect the call, not the command.
lan_spawn() {
  local ns=$1
  shift
  ip netns exec "$ns" "$@" &
  LAN_LAST_PID=$!
  LAN_PIDS+=("$LAN_LAST_PID")
}

lan_create() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "lan: creating network namespaces needs root" >&2
    return 1
  fi
  ip netns add "$LAN_DAEMON_NS"
  ip netns add "$LAN_CLIENT_NS"
  # Made inside the daemon namespace with its peer sent straight to the
  # client, so no end of the pair ever appears in the host's namespace.
  ip -n "$LAN_DAEMON_NS" link add "$LAN_DAEMON_IF" type veth \
    peer name "$LAN_CLIENT_IF" netns "$LAN_CLIENT_NS"
  _lan_setup_side "$LAN_DAEMON_NS" "$LAN_DAEMON_IF" "$LAN_DAEMON_ADDR"
  _lan_setup_side "$LAN_CLIENT_NS" "$LAN_CLIENT_IF" "$LAN_CLIENT_ADDR"
}

_lan_setup_side() {
  local ns=$1 ifname=$2 addr=$3
  ip -n "$ns" link set lo up
  ip -n "$ns" addr add "$addr/$LAN_PREFIX_LEN" dev "$ifname"
  ip -n "$ns" link set "$ifname" up
  # Without a default route, multicast sends fail with "network unreachable".
  ip -n "$ns" route add 224.0.0.0/4 dev "$ifname"
}

# Prints the TCP port (50000-64999) on which process PID listens inside
# namespace NS; waits up to TIMEOUT seconds (default 5) for it to appear.
lan_http_port() {
  local ns=$1 pid=$2 timeout=${3:-5} port=""
  if ! poll_until "$timeout" 0.1 _lan_port_or_end "$ns" "$pid"; then
    echo "lan: no listening port 50000-64999 for process $pid in $ns" >&2
    return 1
  fi
  if [ -z "$port" ]; then
    echo "lan: process $pid ended before it listened" >&2
    return 1
  fi
  echo "$port"
}

# _lan_port_or_end NS PID: true once PID ended, or once it listens on a
# port of the range, which it leaves in lan_http_port's port.
_lan_port_or_end() {
  if ! kill -0 "$2" 2>/dev/null; then return 0; fi
  port=$(ip netns exec "$1" ss -ltnpH 2>/dev/null |
    awk -v want="pid=$2," '
      index($0, want) {
        n = split($4, part, ":"); p = part[n] + 0
        if (p >= 50000 && p <= 64999) { print p; exit }
      }')
  [ -n "$port" ]
}

# Ends what runs inside the LAN and removes both namespaces (which takes the
# veth pair with them). Idempotent and never fails, so it can serve both as
# an EXIT trap and as an explicit last step.
lan_cleanup() {
  netns_teardown "$LAN_DAEMON_NS" "$LAN_CLIENT_NS" -- "${LAN_PIDS[@]}"
  LAN_PIDS=()
  return 0
}
