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

box_ns() { printf '%s-%s' "$BOX_TAG" "$1"; }

box_lan_create() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "box: the private LAN needs root" >&2
    return 1
  fi
  _box_sweep_stale
  ip netns add "$BOX_APPLIANCE_NS"
  BOX_NAMESPACES+=("$BOX_APPLIANCE_NS")
  ip -n "$BOX_APPLIANCE_NS" link set lo up
  ip -n "$BOX_APPLIANCE_NS" link add "$BOX_LAN_IF" type bridge
  ip -n "$BOX_APPLIANCE_NS" addr add "$BOX_APPLIANCE_ADDR/24" dev "$BOX_LAN_IF"
  ip -n "$BOX_APPLIANCE_NS" link set "$BOX_LAN_IF" up
}

# box_client_add NAME [ADDR/LEN] [MAC]: a client namespace "$(box_ns NAME)"
# whose interface eth0 is plugged into the appliance's LAN. Without an
# address the interface stays unnumbered (a DHCP client's).
box_client_add() {
  local name=$1 addr=${2:-} mac=${3:-} ns port
  ns=$(box_ns "$name")
  port="p${#BOX_NAMESPACES[@]}$$"
  port=${port:0:15}
  ip netns add "$ns"
  BOX_NAMESPACES+=("$ns")
  ip -n "$ns" link set lo up
  ip -n "$BOX_APPLIANCE_NS" link add "$port" type veth peer name eth0 netns "$ns"
  ip -n "$BOX_APPLIANCE_NS" link set "$port" master "$BOX_LAN_IF"
  ip -n "$BOX_APPLIANCE_NS" link set "$port" up
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
  local tries=50
  while [ "$tries" -gt 0 ]; do
    if [ "$(readlink "/proc/$!/exe" 2>/dev/null)" = "$(readlink -f "$(command -v sleep)")" ]; then
      return 0
    fi
    sleep 0.02
    tries=$((tries - 1))
  done
  echo "box: the mount namespace for $name did not come up" >&2
  return 1
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
  local ns=$1 port=$2 tries=$((${3:-10} * 10))
  while [ "$tries" -gt 0 ]; do
    if ip netns exec "$ns" ss -ltnH "sport = :$port" 2>/dev/null | grep -q .; then
      return 0
    fi
    sleep 0.1
    tries=$((tries - 1))
  done
  echo "box: nothing listens on port $port in $ns" >&2
  return 1
}

# True while PID runs; a finished child not reaped yet counts as gone.
_box_alive() {
  local state
  state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ]
}

_box_kill_all() {
  local -a pids=("$@")
  local pid left
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  for _ in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do
    left=0
    for pid in "${pids[@]}"; do
      if _box_alive "$pid"; then left=1; fi
    done
    if [ "$left" = 0 ]; then return 0; fi
    sleep 0.1
  done
  for pid in "${pids[@]}"; do
    if _box_alive "$pid"; then kill -KILL "$pid" 2>/dev/null || true; fi
  done
}

# Ends everything started in the box, then removes its namespaces (their
# veth pairs and the bridge go with them; the mount namespaces and their
# tmpfs go with their last process). Idempotent and never fails.
box_cleanup() {
  local ns
  local -a pids=("${BOX_PIDS[@]}")
  for ns in "${BOX_NAMESPACES[@]}"; do
    # Anything else inside is ours too (services fork helpers): only our
    # scripts enter these namespaces.
    if [ -e "/run/netns/$ns" ]; then
      mapfile -t -O "${#pids[@]}" pids < <(ip netns pids "$ns" 2>/dev/null || true)
    fi
  done
  _box_kill_all "${pids[@]}"
  for ns in "${BOX_NAMESPACES[@]}"; do
    if [ -e "/run/netns/$ns" ]; then ip netns del "$ns" 2>/dev/null || true; fi
  done
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
    mapfile -t stale < <(ip netns pids "$ns" 2>/dev/null || true)
    _box_kill_all "${stale[@]}"
    ip netns del "$ns" 2>/dev/null || true
  done
}
