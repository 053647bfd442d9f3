# Sourced helpers that give the example appliance a private LAN and run its
# real services there, each in a mount namespace of its own.
# shellcheck shell=bash
#
# The appliance namespace holds a bridge named after its LAN interface
# (eth0, as the configuration says) with the appliance's address; every
# client is a namespace of its own plugged into that bridge by a veth pair.
# Nothing here touches the host's network or mounts.
#
# Usage (from a bash script with `set -euo pipefail`):
#   . examples/services/lib.sh
#   trap box_cleanup EXIT; trap 'exit 130' INT; trap 'exit 143' TERM
#   box_lan_create
#   box_client_add loghost 192.168.77.20/24
#   box_holder_start smb "$BOX_APPLIANCE_NS"      # a private mount namespace
#   box_in smb mount -t tmpfs tmpfs /run/samba
#   box_spawn smb smbd --foreground ... >smbd.log 2>&1
#
# Every process started here lives at most BOX_LIFETIME seconds, so even a
# run killed with SIGKILL leaves nothing running for long; box_cleanup ends
# everything at once and removes the namespaces.

BOX_TAG="nxbox$$"
BOX_APPLIANCE_NS="$BOX_TAG-appliance"
BOX_LAN_IF=eth0
BOX_APPLIANCE_ADDR=192.168.77.1
BOX_LIFETIME=${BOX_LIFETIME:-240}
BOX_NAMESPACES=()
BOX_PIDS=()
declare -A BOX_HOLDERS=()
# The waits, the ends of processes and namespaces, and NEXA_PYTHON, shared
# with the upnp_presence test LAN.
# shellcheck source=scripts/processes.sh
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/processes.sh"

box_ns() { printf '%s-%s' "$BOX_TAG" "$1"; }

# box_lan_create [NS]: the appliance's namespace (NS, another appliance
# with a LAN of its own, when given) with its bridge and address.
box_lan_create() {
  local lan=${1:-$BOX_APPLIANCE_NS}
  if [ "$(id -u)" -ne 0 ]; then
    echo "box: the private LAN needs root" >&2
    return 1
  fi
  if [ "$lan" = "$BOX_APPLIANCE_NS" ]; then _box_sweep_stale; fi
  ip netns add "$lan"
  BOX_NAMESPACES+=("$lan")
  ip -n "$lan" link set lo up
  ip -n "$lan" link add "$BOX_LAN_IF" type bridge
  ip -n "$lan" addr add "$BOX_APPLIANCE_ADDR/24" dev "$BOX_LAN_IF"
  ip -n "$lan" link set "$BOX_LAN_IF" up
}

# box_client_add NAME [ADDR/LEN] [MAC] [NS]: a client namespace
# "$(box_ns NAME)" whose interface eth0 is plugged into the appliance's LAN
# (that of appliance NS when given). Without an address the interface stays
# unnumbered (a DHCP client's).
box_client_add() {
  local name=$1 addr=${2:-} mac=${3:-} lan=${4:-$BOX_APPLIANCE_NS} ns port
  ns=$(box_ns "$name")
  port="p${#BOX_NAMESPACES[@]}$$"
  port=${port:0:15}
  ip netns add "$ns"
  BOX_NAMESPACES+=("$ns")
  ip -n "$ns" link set lo up
  ip -n "$lan" link add "$port" type veth peer name eth0 netns "$ns"
  ip -n "$lan" link set "$port" master "$BOX_LAN_IF"
  ip -n "$lan" link set "$port" up
  if [ -n "$mac" ]; then ip -n "$ns" link set eth0 address "$mac"; fi
  if [ -n "$addr" ]; then ip -n "$ns" addr add "$addr" dev eth0; fi
  ip -n "$ns" link set eth0 up
}

# box_holder_start NAME NS: a process that keeps a private mount namespace
# (inside network namespace NS) for the steps of one service. box_in and
# box_spawn run commands there.
box_holder_start() {
  local name=$1 ns=$2
  setsid ip netns exec "$ns" unshare --mount --propagation private \
    sleep "$BOX_LIFETIME" </dev/null >/dev/null 2>&1 &
  BOX_HOLDERS[$name]=$!
  BOX_PIDS+=("$!")
  # The namespace exists once the holder's sleep has replaced unshare.
  if ! poll_until 1 0.05 _box_runs_sleep "$!"; then
    echo "box: the mount namespace for $name did not come up" >&2
    return 1
  fi
}

_box_runs_sleep() {
  [ "$(readlink "/proc/$1/exe" 2>/dev/null)" = "$(readlink -f "$(command -v sleep)")" ]
}

# box_in NAME CMD...: runs CMD in the network and mount namespaces of
# holder NAME and waits for it.
box_in() {
  local name=$1
  shift
  nsenter -t "${BOX_HOLDERS[$name]}" -m -n -- "$@"
}

# box_spawn NAME CMD...: starts CMD in the background there, with a bounded
# lifetime; its PID (the command's own) is left in BOX_LAST_PID. Redirect
# the call, not the command.
box_spawn() {
  local name=$1
  shift
  nsenter -t "${BOX_HOLDERS[$name]}" -m -n -- timeout -s KILL "$BOX_LIFETIME" "$@" &
  BOX_LAST_PID=$!
  BOX_PIDS+=("$BOX_LAST_PID")
}

# box_wait_port NS PORT [SECONDS]: waits until something listens on TCP
# PORT inside network namespace NS.
box_wait_port() {
  if ! poll_until "${3:-10}" 0.05 netns_listens "$1" tcp "$2"; then
    echo "box: nothing listens on port $2 in $1" >&2
    return 1
  fi
}

# Ends everything started in the box, then removes its namespaces (their
# veth pairs and the bridge go with them; the mount namespaces and their
# tmpfs go with their last process). Idempotent and never fails.
box_cleanup() {
  # What the services forked into the namespaces goes too.
  netns_teardown "${BOX_NAMESPACES[@]}" -- "${BOX_PIDS[@]}"
  BOX_NAMESPACES=()
  BOX_PIDS=()
  return 0
}

# Namespaces of an earlier run that was killed outright: their creator is
# gone, so whatever still runs in them is left over.
_box_sweep_stale() {
  local path ns owner
  for path in /run/netns/nxbox*; do
    [ -e "$path" ] || continue
    ns=${path##*/}
    owner=${ns#nxbox}
    owner=${owner%%-*}
    if [ -d "/proc/$owner" ]; then continue; fi
    netns_teardown "$ns"
  done
}
