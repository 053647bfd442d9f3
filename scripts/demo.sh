#!/usr/bin/env bash
# Demonstrates upnp_presence on a private test LAN (announcements, discovery by real
# control points, HTTP, redirect, stop), then the library: the example appliance with
# its real services, and a CGI page on the library in a real browser.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# shellcheck source=scripts/lan.sh
. scripts/lan.sh

daemon_bin=build/release/upnp_presence/upnp_presence
find_device=upnp_presence/tests/integration/find_device.py
web_admin_port=8088
work=""
problems=0

demo_cleanup() {
  lan_cleanup
  if [ -n "$work" ]; then rm -rf "$work"; fi
}
# A trap that fires while a step's output goes to a file would write there
# too; fd 3 keeps the way back to the reader.
exec 3>&1
trap demo_cleanup EXIT
trap 'printf "\nInterrupted; cleaning up.\n" >&3; exit 130' INT
trap 'exit 143' TERM

section() { printf '\n== %s ==\n' "$*"; }
note() { printf '   %s\n' "$@"; }
indent() { sed 's/\r$//; s/^/   | /'; }
problem() {
  printf '   !! %s\n' "$*"
  problems=$((problems + 1))
}
# shown LOG CMD...: runs CMD with its output in LOG, shows that output and
# returns CMD's status.
shown() {
  local log=$1 status=0
  shift
  "$@" >"$log" 2>&1 || status=$?
  indent <"$log"
  return "$status"
}

# The SSDP listener: joins the group on the client's address and prints one
# line per NOTIFY; the raw datagrams go to a second file for a closer look.
ssdp_listener_source() {
  cat <<'PY'
import socket, sys, time

local_addr, raw_path = sys.argv[1], sys.argv[2]
sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
# Control points run beside us on port 1900; share it with them.
sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEPORT, 1)
sock.bind(("", 1900))
sock.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP,
                socket.inet_aton("239.255.255.250") + socket.inet_aton(local_addr))
print("listening", flush=True)
start = time.monotonic()
with open(raw_path, "a", encoding="latin-1") as raw:
    while True:
        data, (sender, _) = sock.recvfrom(8192)
        text = data.decode("latin-1")
        lines = text.split("\r\n")
        if not lines[0].startswith("NOTIFY"):
            continue
        fields = {}
        for line in lines[1:]:
            name, sep, value = line.partition(":")
            if sep:
                fields.setdefault(name.strip().upper(), value.strip())
        where = "  " + fields["LOCATION"] if "LOCATION" in fields else ""
        print(f"{time.monotonic() - start:8.3f}s  {sender}  "
              f"{fields.get('NTS', '?'):<12}  {fields.get('NT', '?')}{where}", flush=True)
        # Line ends become plain newlines; the empty line ending each
        # message keeps them apart as paragraphs.
        raw.write(text.replace("\r\n", "\n"))
        raw.flush()
PY
}

# Waits (up to SECS) until FILE has at least COUNT lines; what follows
# shows whatever came.
wait_for_lines() {
  poll_until "$3" 0.1 has_lines "$1" "$2" || true
}

# has_lines FILE COUNT: FILE has at least COUNT lines.
has_lines() {
  [ "$(wc -l <"$1")" -ge "$2" ]
}

show_xml() {
  "$NEXA_PYTHON" -c 'import sys, xml.dom.minidom as m
print(m.parseString(open(sys.argv[1], "rb").read()).toprettyxml(indent="  ").split("\n", 1)[1].rstrip())' "$1" | indent
}

section "Dependencies"
./scripts/install-deps.sh
note "All Debian packages present."

section "Build (release preset)"
cmake --preset release >/dev/null
cmake --build --preset release | tail -n 1 | indent
note "$daemon_bin: $(stat -c %s "$daemon_bin") bytes"

section "Private test LAN"
lan_create
work=$(mktemp -d)
note "daemon side: namespace $LAN_DAEMON_NS, $LAN_DAEMON_IF $LAN_DAEMON_ADDR/$LAN_PREFIX_LEN"
note "client side: namespace $LAN_CLIENT_NS, $LAN_CLIENT_IF $LAN_CLIENT_ADDR/$LAN_PREFIX_LEN"
note "multicast (224.0.0.0/4) routed over the veth pair in both; nothing touches the host's network"

section "SSDP listener on the client side"
ssdp_log=$work/ssdp.log
ssdp_raw=$work/ssdp.raw
: >"$ssdp_log"
ssdp_listener_source >"$work/ssdp_listener.py"
lan_spawn "$LAN_CLIENT_NS" "$NEXA_PYTHON" -u "$work/ssdp_listener.py" "$LAN_CLIENT_ADDR" "$ssdp_raw" \
  >"$ssdp_log" 2>"$work/ssdp.err"
wait_for_lines "$ssdp_log" 1 5
if [ "$(head -n 1 "$ssdp_log")" != listening ]; then
  problem "SSDP listener did not start:"
  indent <"$work/ssdp.err"
  exit 1
fi
note "joined 239.255.255.250 on $LAN_CLIENT_ADDR, UDP port 1900"

section "Start upnp_presence --port $web_admin_port (daemon side)"
lan_spawn "$LAN_DAEMON_NS" "$daemon_bin" --port "$web_admin_port" >"$work/daemon.log" 2>&1
daemon_pid=$LAN_LAST_PID
http_port=$(lan_http_port "$LAN_DAEMON_NS" "$daemon_pid")
base_url="http://$LAN_DAEMON_ADDR:$http_port"
note "pid $daemon_pid, HTTP on port $http_port (chosen at random by the daemon)"

section "Announcements seen at start-up"
# One byebye set then one alive pair per kind, four kinds: 16 messages.
wait_for_lines "$ssdp_log" 17 3
tail -n +2 "$ssdp_log" | indent
note "$(grep -c 'ssdp:byebye' "$ssdp_log" || true) byebye, $(grep -c 'ssdp:alive' "$ssdp_log" || true) alive"
note "One alive message as it was sent:"
awk -v RS= '/ssdp:alive/ { print; exit }' "$ssdp_raw" | indent
grep 'ssdp:alive' "$ssdp_log" | grep -qF "$base_url/" || problem "no alive message naming $base_url/"

section "Discovery by gssdp-discover (GSSDP control point, client side)"
lan_in_client gssdp-discover -i "$LAN_CLIENT_IF" -n 4 >"$work/gssdp.out" 2>&1 || true
indent <"$work/gssdp.out"
if grep -q "Location: $base_url/" "$work/gssdp.out"; then
  note "found: $(grep -c 'resource available' "$work/gssdp.out") answers to ssdp:all"
else
  problem "gssdp-discover did not find the device"
fi

section "Discovery by upnpc -l (miniupnpc, client side)"
upnpc_status=0
shown "$work/upnpc.out" lan_in_client upnpc -m "$LAN_CLIENT_IF" -l || upnpc_status=$?
if grep -q "desc: $base_url/" "$work/upnpc.out"; then
  note "found the device (exit status $upnpc_status: upnpc also looks for an Internet gateway, which this device is not)"
else
  problem "upnpc did not list the device"
fi

section "Discovery by the GUPnP control point (find_device.py)"
gupnp_status=0
shown "$work/gupnp.out" lan_in_client "$NEXA_PYTHON" "$find_device" --interface "$LAN_CLIENT_IF" \
  --timeout 10 || gupnp_status=$?
if [ "$gupnp_status" = 0 ]; then
  note "found (exit status 0)"
else
  problem "find_device.py exited with status $gupnp_status"
fi

section "GET / (device description)"
lan_in_client curl -sS --max-time 5 -D "$work/desc.head" -o "$work/desc.xml" "$base_url/"
indent <"$work/desc.head"
show_xml "$work/desc.xml"

section "GET /MediaService/scpd.xml (service document)"
lan_in_client curl -sS --max-time 5 -D "$work/scpd.head" -o "$work/scpd.xml" "$base_url/MediaService/scpd.xml"
indent <"$work/scpd.head"
show_xml "$work/scpd.xml"
note "body: $(stat -c %s "$work/scpd.xml") bytes"

section "GET /web (presentation page, redirected to the web administration port)"
# A stand-in for the appliance's web administration pages, so the redirect
# has somewhere to land on this test LAN.
mkdir "$work/webadmin"
echo "web administration pages (stand-in for this demonstration)" >"$work/webadmin/index.html"
lan_spawn "$LAN_DAEMON_NS" "$NEXA_PYTHON" -m http.server "$web_admin_port" \
  --bind "$LAN_DAEMON_ADDR" --directory "$work/webadmin" >"$work/webadmin.log" 2>&1
# Up to 5 s for it to listen; the requests below show what happened if not.
poll_until 5 0.1 netns_listens "$LAN_DAEMON_NS" tcp "$web_admin_port" || true
lan_in_client curl -sS --max-time 5 -D "$work/web.head" -o /dev/null "$base_url/web"
indent <"$work/web.head"
note "followed with curl -L:"
lan_in_client curl -sS --max-time 5 -L -w '   final URL %{url_effective}, status %{http_code}, after %{num_redirects} redirect\n' \
  -o "$work/web.body" "$base_url/web"
indent <"$work/web.body"
grep -q "^Location: http://$LAN_DAEMON_ADDR:$web_admin_port/" "$work/web.head" ||
  problem "redirect does not name http://$LAN_DAEMON_ADDR:$web_admin_port/"

section "Stop with SIGINT"
seen=$(wc -l <"$ssdp_log")
kill -INT "$daemon_pid"
daemon_status=0
wait "$daemon_pid" || daemon_status=$?
wait_for_lines "$ssdp_log" $((seen + 8)) 2
note "exit status: $daemon_status"
note "messages seen after SIGINT:"
tail -n +$((seen + 1)) "$ssdp_log" | indent
note "$(tail -n +$((seen + 1)) "$ssdp_log" | grep -c 'ssdp:byebye' || true) byebye"
[ "$daemon_status" = 0 ] || problem "daemon exit status $daemon_status"
if [ -s "$work/daemon.log" ]; then
  note "daemon output:"
  indent <"$work/daemon.log"
fi

section "Clean-up"
started=("${LAN_PIDS[@]}")
demo_cleanup
work=""
left_ns=$(ip netns list | grep -c -e "$LAN_DAEMON_NS" -e "$LAN_CLIENT_NS" || true)
left_pids=0
for pid in "${started[@]}"; do
  if proc_alive "$pid"; then left_pids=$((left_pids + 1)); fi
done
note "namespaces left: $left_ns; processes started here still running: $left_pids"

section "The library: the example appliance (examples/)"
# The handlers' work done by small programs on the public header, on a
# sandbox root; then the real services read what the library wrote, each in
# a private network and mount namespace of its own (examples/services).
appliance_out=$root/build/release/appliance-demo
rm -rf "$appliance_out"
note "configuration: examples/appliance.conf (three users, two groups, four shares, a printer, a LAN with DHCP)"
note "files and logs: $appliance_out"
appliance_started=$SECONDS
services_status=0
examples/services/run_services.sh build/release "$appliance_out" >"$appliance_out.log" 2>&1 ||
  services_status=$?
sed -n '/^== appliance_/,/^$/p' "$appliance_out/appliance.log" | indent
note "Samba, ProFTPD, ISC dhcpd, rsyslogd (and a receiving one on the log host), busybox crond;"
note "clients on their own namespaces: smbclient, curl, udhcpc, logger:"
indent <"$appliance_out.log"
note "$((SECONDS - appliance_started)) s, mostly waiting for cron's next minute"
[ "$services_status" = 0 ] || problem "the example appliance's services did not all do what the configuration asks"
section "The library in a real browser: a CGI page served by lighttpd, driven by headless Chromium"
if shown "$root/build/release/browser-demo.log" \
  examples/cgi/run_browser.sh build/release "$root/build/release/browser-demo" --screenshot; then
  note "screenshot of the page: $root/build/release/browser-demo/appliance-page.png"
else
  problem "the browser run failed"
fi

if [ "$problems" -gt 0 ]; then
  section "Done, with $problems problem(s) marked !! above"
  exit 1
fi
section "Done"
