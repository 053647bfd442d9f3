#!/usr/bin/env bash
# The appliance in a box, for real: runs the example programs on a sandbox
# root (run_appliance.sh), then starts the real services on the files the
# library wrote, each in a private network and mount namespace, and has real
# clients check the outcome. Prints what each client saw; exits non-zero
# when any of it differs from what the configuration asks for.
#
#   examples/services/run_services.sh BUILD_DIR OUT_DIR [SERVICE...]
#
# SERVICE is one of the modules below (all by default). Each module
# examples/services/NAME.sh defines NAME_run, which starts its services,
# checks them and writes what it found to $BOX_OUT/results/NAME.txt; the
# modules run side by side. A module that needs namespaces of its own
# defines NAME_lan, called before any module starts.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
all_modules=(samba ftp dhcp syslog cron hostile)

if [ $# -lt 2 ]; then
  echo "usage: $0 BUILD_DIR OUT_DIR [${all_modules[*]}]" >&2
  exit 2
fi
build=$1
mkdir -p "$2"
BOX_OUT=$(cd "$2" && pwd)
shift 2
modules=("$@")
if [ ${#modules[@]} -eq 0 ]; then modules=("${all_modules[@]}"); fi

# shellcheck source=examples/services/lib.sh
. "$here/lib.sh"
for module in "${modules[@]}"; do
  # shellcheck source=/dev/null
  . "$here/$module.sh"
done

trap box_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

"$here/../run_appliance.sh" "$build" "$BOX_OUT" >"$BOX_OUT/appliance.log" 2>&1 || {
  cat "$BOX_OUT/appliance.log"
  exit 1
}
BOX_ROOT=$BOX_OUT/root
BOX_RESULTS=$BOX_OUT/results
BOX_BUILD=$(cd "$build" && pwd)
mkdir -p "$BOX_RESULTS"
export BOX_OUT BOX_ROOT BOX_RESULTS BOX_BUILD

# The LAN: the appliance, a workstation, the log host the configuration
# names, and two machines that ask for an address (the second is the media
# player the DHCP server knows by its MAC).
box_lan_create "$BOX_APPLIANCE_NS"
box_client_add workstation 192.168.77.2/24
box_client_add loghost 192.168.77.20/24
box_client_add laptop "" 02:00:00:77:00:64
box_client_add player "" 00:1a:2b:3c:4d:5e
for module in "${modules[@]}"; do
  if declare -F "${module}_lan" >/dev/null; then "${module}_lan"; fi
done

status=0
declare -A jobs=()
for module in "${modules[@]}"; do
  "${module}_run" >"$BOX_RESULTS/$module.log" 2>&1 &
  jobs[$module]=$!
done
for module in "${modules[@]}"; do
  if ! wait "${jobs[$module]}"; then
    echo "== $module failed; its log:"
    sed 's/^/   | /' "$BOX_RESULTS/$module.log"
    status=1
  fi
done
for module in "${modules[@]}"; do
  if [ -f "$BOX_RESULTS/$module.txt" ]; then
    echo "== $module"
    cat "$BOX_RESULTS/$module.txt"
  fi
done
# Who may use which share: what the configuration asks for beside what
# Samba and the FTP server allowed.
if [ -f "$BOX_RESULTS/samba-access.tsv" ] || [ -f "$BOX_RESULTS/ftp-access.tsv" ]; then
  echo "== access"
  "$NEXA_PYTHON" "$here/access_table.py" "$BOX_RESULTS" "$here/../appliance.conf" || status=1
fi
exit "$status"
