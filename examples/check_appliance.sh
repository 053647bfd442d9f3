#!/usr/bin/env bash
# Runs the example appliance into a temporary directory and has the real
# consumers read what the library wrote there: testparm, proftpd, dhcpd and
# rsyslogd in their check modes (no daemon starts), pwck and grpck on the
# sandbox's account files. Then checks that each file says what
# appliance.conf asks for.
#
#   examples/check_appliance.sh BUILD_DIR
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
root=$out/root
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# accepted WHAT COMMAND...: the command succeeds (its output shown if not).
accepted() {
  local what=$1
  shift
  if ! "$@" > "$out/check.log" 2>&1; then
    fail "$what rejected"
    cat "$out/check.log"
  fi
}

# holds FILE LINE: the file has that whole line.
holds() {
  grep -qxF -- "$2" "$1" || fail "${1#"$root"} lacks the line: $2"
}

if ! "$here/run_appliance.sh" "$1" "$out" > "$out/run.log" 2>&1; then
  cat "$out/run.log"
  fail "run_appliance.sh"
  exit 1
fi

# Samba: the file as a whole, then each share's access as Samba reads it.
smb_conf=$root/etc/samba/smb.conf
accepted "smb.conf (testparm)" testparm -s "$smb_conf"
while IFS='|' read -r section parameter expected; do
  got=$(testparm -s --section-name="$section" --parameter-name="$parameter" "$smb_conf" 2> /dev/null)
  [ "$got" = "$expected" ] || fail "[$section] $parameter is '$got', not '$expected'"
done << 'TABLE'
public|guest ok|Yes
public|read only|No
family|valid users|@family
family|write list|@family
photos|valid users|carol
photos|write list|
photos|read only|Yes
alice-work|valid users|alice
alice-work|write list|alice
printers|printable|Yes
printers|path|/var/spool/samba
TABLE

# FTP: the image's server settings with the library's blocks after them.
ftp_check=$root/usr/ruvoro/etc/proftpd.conf
accepted "proftpd.conf (proftpd -t)" proftpd -t -c "$ftp_check"
[ "$(grep -c '^<Directory /shares/system/' "$ftp_check")" = 4 ] || fail "not one FTP block per share"
for line in "AllowAll" "AllowGroup family" "AllowUser carol" "AllowUser alice"; do
  holds "$root/usr/ruvoro/etc/proftpd.conf" "$line"
done

# DHCP: the LAN's pool and the static host.
accepted "dhcpd.conf (dhcpd -t)" dhcpd -4 -t -cf "$root/etc/dhcpd.conf"
holds "$root/etc/dhcpd.conf" "subnet 192.168.77.0 netmask 255.255.255.0 {"
holds "$root/etc/dhcpd.conf" "  hardware ethernet 00:1a:2b:3c:4d:5e;"
holds "$root/etc/dhcpd.conf" "  fixed-address 192.168.77.10;"

# The logger: the remote host's rule.
accepted "syslog.conf (rsyslogd -N1)" rsyslogd -N1 -i "$out/rsyslogd.pid" -f "$root/etc/syslog.conf"
holds "$root/etc/syslog.conf" "$(printf '*.=info;*.=notice;mail.none\t@192.168.77.20')"

# Accounts: the account tools check the files as a whole.
accepted "passwd (pwck)" pwck -r -R "$root"
accepted "group (grpck)" grpck -r -R "$root"
holds "$root/etc/passwd" "carol:x:502:100:Carol Guest:/shares/system/carol/:/bin/false"
holds "$root/etc/group" "family:x:101:alice,bob"
holds "$root/etc/group" "media:x:102:carol,alice"

# The time job, and the commands recorded rather than run.
holds "$root/var/spool/cron/crontabs/root" "0 0 * * 0 /usr/bin/ntpdate pool.ntp.org"
for line in "/usr/ruvoro/etc/rc.d/S80samba.sh start >/dev/null 2>&1" \
  "/etc/rc.d/S12syslog.sh restart" "/etc/rc.d/S90crond.sh restart &" \
  "/usr/bin/ntpdate -b pool.ntp.org >/dev/null 2>&1"; do
  holds "$out/commands.log" "$line"
done

[ "$failures" = 0 ] && echo "appliance example: every consumer accepts the output"
[ "$failures" = 0 ]
