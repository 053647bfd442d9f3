# The FTP server of the example appliance, for real: proftpd on the
# library's proftpd.conf (the image's server settings and the share
# handler's Directory blocks) and accounts, and a workstation that lists,
# downloads and uploads on every share as every user and anonymously.
# shellcheck shell=bash
# shellcheck source=examples/services/appliance_fs.sh
. "$(dirname "${BASH_SOURCE[0]}")/appliance_fs.sh"

FTP_CONF=/usr/ruvoro/etc/proftpd.conf

ftp_server_start() {
  local work=$1 root=$1/root
  mkdir -p "$root" "$work/usr"
  appfs_etc_layer "$work/etc"
  box_holder_start ftpd "$BOX_APPLIANCE_NS"
  appfs_root_make ftpd "$root" "$work/etc" "$work/usr"
  box_in ftpd mkdir -p -m 0755 "$root/run/proftpd" "$root/var/log/proftpd"
  appfs_in ftpd "$root" proftpd -t -c "$FTP_CONF" >"$work/proftpd-t.log" 2>&1 || {
    echo "proftpd -t refuses $FTP_CONF:"
    cat "$work/proftpd-t.log"
    return 1
  }
  box_spawn ftpd chroot "$root" proftpd -n -c "$FTP_CONF" >"$work/proftpd.log" 2>&1
  box_wait_port "$BOX_APPLIANCE_NS" 21 10
}

ftp_curl() { box_in ftpclient curl -sS --max-time 10 "$@"; }

# ftp_read / ftp_write USER SHARE WORK, as USER ("guest": anonymous); see
# appfs_access. Reading is a listing that shows the probe file, then its
# download.
ftp_as() {
  local user=$1
  shift
  if [ "$user" = guest ]; then
    ftp_curl "$@"
  else
    ftp_curl --user "$user:$(appfs_password "$user")" "$@"
  fi
}

# Share names may hold blanks and letters beyond ASCII: the URL holds them
# percent-encoded.
ftp_url() {
  local dir
  dir=$("$NEXA_PYTHON" -c 'import sys, urllib.parse; print(urllib.parse.quote(sys.argv[1], safe=""))' "$1")
  echo "ftp://$BOX_APPLIANCE_ADDR/%2Fshares/system/$dir/"
}

ftp_read() {
  local url down err
  down=$3/down-$(appfs_tag "$1-$2")
  err=$3/curl-$(appfs_tag "$1-$2").err
  url=$(ftp_url "$2")
  ftp_as "$1" --list-only "$url" 2>"$err" | grep -qx 'ftp-probe.txt' &&
    ftp_as "$1" -o "$down" "${url}ftp-probe.txt" 2>>"$err" &&
    cmp -s "$down" "$BOX_ROOT/shares/system/$2/ftp-probe.txt"
}

ftp_write() {
  local up
  up=$3/up-$(appfs_tag "$1-$2")
  printf 'from %s over FTP\n' "$1" >"$up"
  ftp_as "$1" -T "$up" "$(ftp_url "$2")ftp-$1.txt" 2>>"$3/curl-$(appfs_tag "$1-$2").err" &&
    cmp -s "$up" "$BOX_ROOT/shares/system/$2/ftp-$1.txt"
}

# Each user signs in and lands in the home the accounts handler made.
ftp_homes() {
  local user pw
  for user in "${APPFS_USERS[@]}"; do
    pw=$(appfs_password "$user")
    printf '  %s: ' "$user"
    ftp_curl --user "$user:$pw" -Q PWD "ftp://$BOX_APPLIANCE_ADDR/" -o /dev/null -v 2>&1 |
      sed -n 's/^< 257 "\([^"]*\)".*/home \1/p' | head -n 1
  done
}

# The library adds its blocks after the image's server settings and must
# leave those as they were.
ftp_settings_kept() {
  local base=$APPFS_HERE/../image$FTP_CONF
  if ! head -n "$(wc -l <"$base")" "$BOX_ROOT$FTP_CONF" | cmp -s - "$base"; then
    echo "the library changed the server settings of $FTP_CONF"
    return 1
  fi
  echo "server settings of the image kept ahead of $(grep -c '^<Directory ' "$BOX_ROOT$FTP_CONF") Directory blocks"
}

ftp_run() {
  local work=$BOX_OUT/work/ftp started=$SECONDS status=0 kept
  mkdir -p "$work"
  kept=$(ftp_settings_kept) || status=1
  ftp_server_start "$work" || {
    cat "$work/proftpd.log" 2>/dev/null
    return 1
  }
  echo "proftpd listening after $((SECONDS - started)) s"
  box_holder_start ftpclient "$(box_ns "$APPFS_WORKSTATION")"
  appfs_access ftp "$work"
  {
    echo "$kept"
    echo "proftpd -t accepts it; sign-ins land in the users' homes:"
    ftp_homes
    echo "guest rows: an anonymous sign-in (the server configures none)"
    echo "ftp checks took $((SECONDS - started)) s"
  } >"$BOX_RESULTS/ftp.txt"
  appfs_stop ftpclient
  appfs_stop ftpd
  return "$status"
}
