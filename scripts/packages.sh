#!/usr/bin/env bash
# Builds the Debian packages from the tree (its tracked and new files, not
# build outputs) for amd64 and, cross-built, armhf, into
# build/packages/<arch>/, and checks each set with lintian: any warning or
# error fails. The service unit must keep systemd's security rating.
#
#   scripts/packages.sh [ARCH...]     (default: amd64 armhf)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/install-deps.sh packages >/dev/null

version=$(dpkg-parsechangelog -S Version)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A fixed place for the copy and the user's own compiler cache (debhelper
# gives the build a HOME of its own), so a second run finds its compiles.
copies=$root/build/package-src
CCACHE_DIR=$(ccache -k cache_dir)
export CCACHE_DIR

# The service unit as systemd itself rates it: fail above an exposure of
# 1.5 (of 10; the unit is rated 1.0 today).
echo "== systemd-analyze security upnp-presence.service"
systemd-analyze security --offline=yes --threshold=15 --no-pager debian/upnp-presence.service |
  tail -n 1

archs=("$@")
[ ${#archs[@]} -gt 0 ] || archs=(amd64 armhf)
for one in "${archs[@]}"; do
  src=$copies/$one/nexa-$version
  rm -rf "${src:?}"
  mkdir -p "$src"
  git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$src"
  echo "== building for $one"
  (cd "$src" && dpkg-buildpackage -us -uc -b -a"$one" -Pnocheck >"$work/$one.log" 2>&1) || {
    tail -n 40 "$work/$one.log"
    exit 1
  }
  out=build/packages/$one
  rm -rf "$out"
  mkdir -p "$out"
  mv "$copies/$one"/*.deb "$copies/$one"/*.changes "$copies/$one"/*.buildinfo "$out"/
  rm -rf "${src:?}"
  echo "== lintian ($one)"
  status=0
  lintian --fail-on error,warning "$out"/*.changes >"$work/lintian" 2>&1 || status=$?
  grep -v 'root privileges' "$work/lintian" || true
  [ "$status" -eq 0 ] || exit 1
  for deb in "$out"/*.deb; do
    printf '  %-45s %8s bytes, %6s KiB installed\n' "$(basename "$deb")" \
      "$(stat -c %s "$deb")" "$(dpkg-deb -f "$deb" Installed-Size)"
  done
done
