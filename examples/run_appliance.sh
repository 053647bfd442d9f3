#!/usr/bin/env bash
# The appliance in a box: runs the example programs of BUILD_DIR/examples in
# order on a sandbox root made under OUT_DIR, seeded with the small image in
# examples/image and the configuration objects of examples/appliance.conf.
# Nothing is written outside OUT_DIR and no command runs: the library
# records its commands in OUT_DIR/commands.log, printed at the end.
#
#   examples/run_appliance.sh BUILD_DIR OUT_DIR [MORE_CONF]
#
# MORE_CONF (a key file of further objects, with oids of their own) is
# added to the configuration. Every program runs, whatever an earlier one
# did; the exit status says whether all succeeded.
set -euo pipefail

if [ $# -ne 2 ] && [ $# -ne 3 ]; then
  echo "usage: $0 BUILD_DIR OUT_DIR [MORE_CONF]" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
root=$out/root
if [ -e "$root" ]; then
  echo "$root exists already; give an OUT_DIR without it" >&2
  exit 2
fi

# What the firmware image holds before any handler runs: the base account
# files, Samba's global settings, the users' shell and the directories the
# services keep their files in.
mkdir -p "$root"
cp -R "$here/image/." "$root/"
mkdir -p "$root/root" "$root/bin" "$root/shares/system" "$root/usr/ruvoro/etc" \
  "$root/var/spool/cron/crontabs" "$root/var/log" "$root/tmp"
: > "$root/bin/sh"
: > "$root/bin/false"
chmod 0755 "$root/bin/sh" "$root/bin/false"

# The programs share one configuration through the stand-in's key file; it
# rewrites the file on every change, so it gets a copy.
cat "$here/appliance.conf" ${3:+"$3"} >"$out/appliance.conf"
export NEXALIB_ROOT=$root
export ODB_STANDIN_FILE=$out/appliance.conf
export ODB_STANDIN_LOG=$out/odb.log
export NEXALIB_COMMAND_LOG=$out/commands.log
: > "$NEXALIB_COMMAND_LOG"

failed=()
for program in accounts shares network services; do
  echo "== appliance_$program"
  "$build/examples/appliance_$program" || failed+=("appliance_$program")
done

echo
echo "== Files (the appliance's path, then where it went)"
for file in /etc/passwd /etc/group /etc/samba/smb.conf /usr/ruvoro/etc/proftpd.conf \
  /etc/dhcpd.conf /etc/syslog.conf /var/spool/cron/crontabs/root /var/log/messages; do
  printf '%-32s %s\n' "$file" "$root$file"
done
echo
echo "== Commands recorded instead of run ($NEXALIB_COMMAND_LOG)"
cat "$NEXALIB_COMMAND_LOG"
if [ ${#failed[@]} -gt 0 ]; then
  echo
  echo "== Programs that reported a failure: ${failed[*]}"
  exit 1
fi
