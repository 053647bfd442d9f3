# The FTP server of the example appliance, for real: proftpd on the
# library's proftpd.conf (the image's server settings and the share
# handler's Directory blocks) and accounts, and a workstation that lists,
# downloads and uploads on every share as every user and anonymously.
# shellcheck shell=bash
# shellcheck source=examples/services/appliance_fs.sh
. "$(dirname "${BASH_SOURCE[0]}")/appliance_fs.sh"

FTP_SHARES=(public family photos alice-work)
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

# ftp_try USER SHARE WORK: write, read or none, as USER ("guest":
# anonymous) could use SHARE. Reading is a listing that shows the probe
# file and its download; a write counts once the file is on the volume.
ftp_try() {
  local user=$1 share=$2 work=$3 tag=$1-$2 got=none
  local url="ftp://$BOX_APPLIANCE_ADDR/%2Fshares/system/$share/"
  local dir=$BOX_ROOT/shares/system/$share
  local -a auth=()
  if [ "$user" != guest ]; then auth=(--user "$user:$(appfs_password "$user")"); fi
  printf 'from %s over FTP\n' "$user" >"$work/up-$tag"
  local err=$work/curl-$tag.err
  if ftp_curl "${auth[@]}" --list-only "$url" 2>"$err" | grep -qx 'ftp-probe.txt' &&
    ftp_curl "${auth[@]}" -o "$work/down-$tag" "${url}ftp-probe.txt" 2>>"$err" &&
    cmp -s "$work/down-$tag" "$dir/ftp-probe.txt"; then got="read"; fi
  if ftp_curl "${auth[@]}" -T "$work/up-$tag" "${url}ftp-$user.txt" 2>>"$err" &&
    cmp -s "$work/up-$tag" "$dir/ftp-$user.txt"; then
    # Writing without reading is no access this appliance grants.
    if [ "$got" = read ]; then got="write"; else got="write-only"; fi
  fi
  echo "$got"
}

ftp_user_access() {
  local user=$1 work=$2 share
  for share in "${FTP_SHARES[@]}"; do
    printf '%s\t%s\t%s\n' "$user" "$share" "$(ftp_try "$user" "$share" "$work")"
  done >"$work/access-$user"
}

ftp_access() {
  local work=$1 user share
  local -a tries=()
  for share in "${FTP_SHARES[@]}"; do
    printf 'probe of %s\n' "$share" >"$BOX_ROOT/shares/system/$share/ftp-probe.txt"
  done
  for user in "${APPFS_USERS[@]}" guest; do
    ftp_user_access "$user" "$work" &
    tries+=("$!")
  done
  wait "${tries[@]}"
  for user in "${APPFS_USERS[@]}" guest; do cat "$work/access-$user"; done \
    >"$BOX_RESULTS/ftp-access.tsv"
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
  box_holder_start ftpclient "$(box_ns workstation)"
  ftp_access "$work"
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
