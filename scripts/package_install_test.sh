#!/usr/bin/env bash
# Installs the amd64 packages the way a user would, `apt-get install
# ./….deb`, into a throwaway minimal Debian root (never the host's), builds
# the example appliance's programs against the installed libnexa-dev with
# nothing but pkg-config and runs them, then purges the packages and checks
# that nothing of them is left; on the way the init script starts and stops
# the daemon with busybox's applets, in a network namespace of its own. As
# root; the root is made with debootstrap once and kept, packed, under
# ~/.cache/nexa-debroot for later runs.
#
#   scripts/package_install_test.sh [PACKAGE_DIR]   (default build/packages/amd64)
#   scripts/package_install_test.sh --prepare       (only make the cached root)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cache=${XDG_CACHE_HOME:-$HOME/.cache}/nexa-debroot
# Everything the test itself uses is in the base, so the packages' own
# dependencies are all that apt has to find, and all that purging removes.
tools=bash,busybox,gcc,libc6-dev,pkg-config,libglib2.0-dev
base=$cache/bookworm-minbase-$(echo "$tools" | md5sum | cut -c1-8).tar

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ ! -s "$base" ]; then
  echo "== making a minimal Debian root (once; kept in $base)"
  mkdir -p "$cache" "$work/base"
  debootstrap --variant=minbase --include="$tools" bookworm "$work/base" \
    http://deb.debian.org/debian >"$work/debootstrap.log" 2>&1 ||
    { tail -n 20 "$work/debootstrap.log"; exit 1; }
  tar -C "$work/base" -cf "$base.part" .
  mv "$base.part" "$base"
  rm -rf "$work/base"
fi

[ "${1:-}" != --prepare ] || exit 0
debs=$(cd "${1:-build/packages/amd64}" && pwd)
chroot_dir=$work/root
mkdir -p "$chroot_dir"
tar -C "$chroot_dir" -xf "$base"
mkdir -p "$chroot_dir/tmp/debs" "$chroot_dir/tmp/src"
cp "$debs"/*.deb "$chroot_dir/tmp/debs/"
rm -f "$chroot_dir"/tmp/debs/*-dbgsym_*.deb
cp -R examples scripts/processes.sh "$chroot_dir/tmp/src/"
# Nothing a package installs may start in here.
printf '#!/bin/sh\nexit 101\n' >"$chroot_dir/usr/sbin/policy-rc.d"
chmod 755 "$chroot_dir/usr/sbin/policy-rc.d"

cat >"$chroot_dir/tmp/inside.sh" <<'EOF'
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8 PATH=/usr/sbin:/usr/bin:/sbin:/bin
. /tmp/src/processes.sh
# Every file of the system, but the package manager's own records.
snapshot() {
  find / -xdev \( -path /proc -o -path /tmp -o -path /dev -o -path /run -o -path /var/cache \
    -o -path /var/lib/apt -o -path /var/lib/dpkg -o -path /var/log \) -prune -o -print | sort
}
snapshot >/tmp/before
packages=(libnexa0 libnexa-dev libodb-standin0 libodb-standin-dev upnp-presence)
echo "== apt-get install ./….deb"
apt-get install -y -q --no-install-recommends /tmp/debs/*.deb >/tmp/install.log 2>&1 ||
  { cat /tmp/install.log; exit 1; }
upnp_presence --version
[ -f /lib/systemd/system/upnp-presence.service ] && [ -x /etc/init.d/upnp-presence ]
[ -f /usr/share/man/man8/upnp_presence.8.gz ]
echo "== the example appliance, built with pkg-config alone"
mkdir -p /tmp/build/examples
flags=$(pkg-config --cflags --libs libnexa)
for program in accounts shares network services; do
  # shellcheck disable=SC2086 # pkg-config's answer is several words
  cc -std=c99 -Wall -Wextra -Werror /tmp/src/examples/appliance_$program.c \
    /tmp/src/examples/appliance_session.c -o /tmp/build/examples/appliance_$program $flags
done
# shellcheck disable=SC2086
cc -std=c99 -Wall -Wextra -Werror /tmp/src/examples/cgi/appliance_cgi.c -o /tmp/build/cgi $flags
bash /tmp/src/examples/run_appliance.sh /tmp/build /tmp/out >/tmp/run.log 2>&1 ||
  { cat /tmp/run.log; exit 1; }
grep '^== appliance_' /tmp/run.log
echo "== the init script under busybox's applets"
# This root runs in a network namespace of its own with nothing but a
# loopback that is down: the daemon started here reaches no network.
mkdir /tmp/busybox
busybox --install -s /tmp/busybox
init() { PATH=/tmp/busybox:$PATH busybox sh /etc/init.d/upnp-presence "$@"; }
init start
init status
pid=$(cat /run/upnp-presence.pid)
[ "$(stat -c %U "/proc/$pid")" = nobody ] || { echo "the daemon does not run as nobody"; exit 1; }
init stop
poll_until 5 0.1 proc_none_alive "$pid" || { echo "the daemon did not end on stop"; exit 1; }
if init status; then echo "status says running after stop"; exit 1; fi
echo "== apt-get purge"
apt-get purge -y -q "${packages[@]}" >/tmp/purge.log 2>&1 || { cat /tmp/purge.log; exit 1; }
apt-get autoremove --purge -y -q >>/tmp/purge.log 2>&1
for package in "${packages[@]}"; do
  if dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -qv 'not-installed'; then
    echo "still known to dpkg: $package"
    exit 1
  fi
done
snapshot >/tmp/after
if ! diff /tmp/before /tmp/after; then
  echo "the packages left the files above behind (> added, < removed)"
  exit 1
fi
echo "nothing left behind"
EOF

# shellcheck disable=SC2016 # expanded by the inner shell
unshare --mount --net --fork bash -c '
  set -e
  mount --make-rprivate /
  mount -t proc proc "$1/proc"
  mount --rbind /dev "$1/dev"
  exec chroot "$1" /bin/bash /tmp/inside.sh' _ "$chroot_dir"
