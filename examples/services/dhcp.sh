# The appliance's DHCP server for real: ISC dhcpd serves the LAN on the
# dhcpd.conf the library wrote, and two machines ask it for an address with
# busybox udhcpc: the laptop must get one from the pool, the media player the
# address its MAC is bound to.
# shellcheck shell=bash
# shellcheck disable=SC2030,SC2031 # work is dhcp_run's, all of it runs there
#
# Sourced by run_services.sh, which provides lib.sh and BOX_* (see there).

DHCP_POOL_FIRST=100
DHCP_POOL_LAST=199

# name, MAC, what it must get: "pool" or a fixed address.
DHCP_CLIENTS=(
  "laptop 02:00:00:77:00:64 pool"
  "player 00:1a:2b:3c:4d:5e 192.168.77.10"
)

# What every client must be told besides its address (udhcpc's variable
# names, values from appliance.conf and the LAN).
DHCP_OPTIONS=(
  "subnet 255.255.255.0"
  "domain home.lan"
  "dns 192.168.77.1"
  "serverid 192.168.77.1"
  "lease 86400"
)

# A subshell, so that its trap stops what it started however it ends.
dhcp_run() (
  work=$BOX_OUT/dhcp
  mkdir -p "$work"
  trap _dhcp_stop EXIT
  _dhcp_server_start
  _dhcp_client_script >"$work/client.sh"
  chmod 0755 "$work/client.sh"
  : >"$BOX_RESULTS/dhcp.txt"
  local entry failures=0
  for entry in "${DHCP_CLIENTS[@]}"; do
    # shellcheck disable=SC2086 # the entry is three words
    _dhcp_client_check $entry || failures=$((failures + 1))
  done
  _dhcp_leases_report || failures=$((failures + 1))
  [ "$failures" -eq 0 ]
)

# dhcpd in the foreground on eth0, its leases and pid on a tmpfs of its
# own mount namespace, so nothing of the host's /var/lib/dhcp is touched.
_dhcp_server_start() {
  box_holder_start dhcpd "$BOX_APPLIANCE_NS"
  box_in dhcpd mount -t tmpfs -o mode=0755 tmpfs /var/lib/dhcp
  box_in dhcpd touch /var/lib/dhcp/dhcpd.leases
  box_spawn dhcpd dhcpd -4 -f -d -cf "$BOX_ROOT/etc/dhcpd.conf" \
    -lf /var/lib/dhcp/dhcpd.leases -pf /var/lib/dhcp/dhcpd.pid "$BOX_LAN_IF" \
    >"$work/dhcpd.log" 2>&1
  DHCP_SERVER_PID=$BOX_LAST_PID
  local listening=0
  if ! poll_until 5 0.1 _dhcp_server_settled || [ "$listening" = 0 ]; then
    echo "dhcp: dhcpd did not come up; its log:"
    cat "$work/dhcpd.log"
    return 1
  fi
}

# True once dhcpd listens on the server port (listening=1 is left in
# _dhcp_server_start's variable), or once it ended.
_dhcp_server_settled() {
  if netns_listens "$BOX_APPLIANCE_NS" udp 67; then
    listening=1
    return 0
  fi
  ! proc_alive "$DHCP_SERVER_PID"
}

# udhcpc's hook: takes the address inside the client's namespace and
# records what the server said in $DHCP_RECORD. Nothing else changes (the
# stock script would rewrite resolv.conf).
_dhcp_client_script() {
  cat <<'EOF'
#!/bin/sh
case "$1" in
  bound | renew)
    ip addr add "$ip/$mask" dev "$interface"
    {
      echo "ip $ip"
      echo "subnet $subnet"
      echo "domain $domain"
      echo "dns $dns"
      echo "serverid $serverid"
      echo "lease $lease"
    } >"$DHCP_RECORD"
    ;;
esac
exit 0
EOF
}

# _dhcp_client_check NAME MAC WANTED: NAME's namespace asks for an address
# (once, giving up after 5 s) and must get WANTED and the LAN's options.
_dhcp_client_check() {
  local name=$1 mac=$2 wanted=$3 record got what
  record=$work/$name.offer
  rm -f "$record"
  box_holder_start "dhcp-$name" "$(box_ns "$name")"
  if ! box_in "dhcp-$name" env DHCP_RECORD="$record" busybox udhcpc -i eth0 -f -q -n \
    -t 5 -T 1 -s "$work/client.sh" >"$work/$name.udhcpc.log" 2>&1 || [ ! -s "$record" ]; then
    echo "$name $mac -> no lease" | tee -a "$BOX_RESULTS/dhcp.txt"
    cat "$work/$name.udhcpc.log"
    return 1
  fi
  got=$(_dhcp_field ip "$record")
  if [ "$wanted" = pool ]; then
    what="pool"
    _dhcp_in_pool "$got" || what="OUTSIDE the pool .$DHCP_POOL_FIRST-.$DHCP_POOL_LAST"
  else
    what="static host"
    [ "$got" = "$wanted" ] || what="NOT the static address $wanted"
  fi
  echo "$name $mac -> $got ($what)" >>"$BOX_RESULTS/dhcp.txt"
  # The address must be usable: the appliance answers from it.
  if ! box_in "dhcp-$name" busybox ping -c 1 -W 2 "$BOX_APPLIANCE_ADDR" >/dev/null; then
    echo "  $name cannot reach the appliance from $got" >>"$BOX_RESULTS/dhcp.txt"
    what=unusable
  fi
  _dhcp_options_check "$name" "$record" || what=wrong
  case $what in pool | "static host") return 0 ;; *) return 1 ;; esac
}

_dhcp_options_check() {
  local name=$1 record=$2 option key value got status=0
  for option in "${DHCP_OPTIONS[@]}"; do
    key=${option%% *}
    value=${option#* }
    got=$(_dhcp_field "$key" "$record")
    if [ "$got" != "$value" ]; then
      echo "  $name was told $key '$got', not '$value'" >>"$BOX_RESULTS/dhcp.txt"
      status=1
    fi
  done
  return "$status"
}

_dhcp_field() {
  awk -v key="$1" '$1 == key { $1 = ""; sub(/^ /, ""); print; exit }' "$2"
}

_dhcp_in_pool() {
  local host=${1##*.}
  [ "${1%.*}" = "${BOX_APPLIANCE_ADDR%.*}" ] &&
    [ "$host" -ge "$DHCP_POOL_FIRST" ] && [ "$host" -le "$DHCP_POOL_LAST" ]
}

# The server's side: its acknowledgements and the leases it keeps (a static
# host gets no lease entry). Each pool client's lease must be there.
_dhcp_leases_report() {
  local leases entry name mac wanted got status=0
  leases=$(box_in dhcpd cat /var/lib/dhcp/dhcpd.leases)
  {
    echo "dhcpd said:"
    grep -E '^DHCPACK' "$work/dhcpd.log" | sed 's/^/  /'
    echo "dhcpd.leases:"
    printf '%s\n' "$leases" | grep -E '^lease |^  binding state|hardware ethernet|^}' | sed 's/^/  /'
  } >>"$BOX_RESULTS/dhcp.txt"
  for entry in "${DHCP_CLIENTS[@]}"; do
    read -r name mac wanted <<<"$entry"
    [ "$wanted" = pool ] || continue
    got=$(_dhcp_field ip "$work/$name.offer" 2>/dev/null || true)
    if ! printf '%s\n' "$leases" | _dhcp_lease_held "$got" "$mac"; then
      echo "  dhcpd.leases holds no lease of '$got' for $name" >>"$BOX_RESULTS/dhcp.txt"
      status=1
    fi
  done
  return "$status"
}

# _dhcp_lease_held IP MAC: the leases file on stdin binds IP to MAC.
_dhcp_lease_held() {
  awk -v ip="$1" -v mac="hardware ethernet $2;" '
    $1 == "lease" && $2 == ip { inside = 1 }
    inside && index($0, mac) { found = 1 }
    /^}/ { inside = 0 }
    END { exit !found }'
}

_dhcp_stop() {
  local name pids=()
  if [ -n "${DHCP_SERVER_PID:-}" ]; then pids+=("$DHCP_SERVER_PID"); fi
  for name in "${!BOX_HOLDERS[@]}"; do pids+=("${BOX_HOLDERS[$name]}"); done
  proc_end_all "${pids[@]}"
}
