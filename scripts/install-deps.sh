#!/usr/bin/env bash
# Installs the Debian packages needed to build, test, demonstrate and benchmark
# the project. Safe to re-run: it only asks apt for packages that are missing,
# and it never lets a package start a daemon in this network namespace.
#
#   scripts/install-deps.sh [build|services|bench|packages]
#
# "build" is what the builds and the unit tests need, "services" the real
# services and clients of the example appliance; without an argument, both.
# The test command installs the second group while it builds. "bench" adds
# the peers and tools the benchmarks measure against (bench/run.sh),
# "packages" Debian's packaging tools (scripts/packages.sh).
set -euo pipefail

build_packages=(
  build-essential cmake ninja-build pkg-config git
  libglib2.0-dev gettext
  googletest libgtest-dev libgmock-dev
  clang libclang-rt-14-dev clang-format clang-tidy ccache
  g++-arm-linux-gnueabihf libglib2.0-dev:armhf
  qemu-user libgtest-dev:armhf libgmock-dev:armhf
  iproute2 procps psmisc man-db
  apache2-utils curl
  python3 python3-gi gir1.2-gupnp-1.6 miniupnpc gupnp-tools
  samba-common-bin proftpd-core passwd
  isc-dhcp-server rsyslog
)
service_packages=(
  samba smbclient isc-dhcp-client busybox-static openssl
  lighttpd chromium python3-websocket
)
bench_packages=(minidlna strace)
package_packages=(debhelper dpkg-dev fakeroot lintian crossbuild-essential-armhf debootstrap
  libstdc++6:armhf systemd)
case ${1:-all} in
  build) packages=("${build_packages[@]}") ;;
  services) packages=("${service_packages[@]}") ;;
  bench) packages=("${build_packages[@]}" "${bench_packages[@]}") ;;
  packages) packages=("${build_packages[@]}" "${package_packages[@]}") ;;
  all) packages=("${build_packages[@]}" "${service_packages[@]}") ;;
  *)
    echo "usage: $0 [build|services|bench|packages]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages (${missing[*]}); run as root" >&2
  exit 1
fi

# Packages such as miniupnpc or gupnp-tools may pull in services; keep them
# from starting while we install.
policy=/usr/sbin/policy-rc.d
had_policy=0
[ -e "$policy" ] && had_policy=1 && cp -a "$policy" "$policy.nexa-save"
restore_policy() {
  if [ "$had_policy" = 1 ]; then mv -f "$policy.nexa-save" "$policy"; else rm -f "$policy"; fi
}
trap restore_policy EXIT
printf '#!/bin/sh\nexit 101\n' >"$policy"
chmod 755 "$policy"

export DEBIAN_FRONTEND=noninteractive
# The appliance is 32-bit ARM: the cross-build takes GLib from Debian's armhf
# packages.
if ! dpkg --print-foreign-architectures | grep -qx armhf; then
  dpkg --add-architecture armhf
fi
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
