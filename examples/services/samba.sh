# Samba of the example appliance, for real: smbd on the library's smb.conf
# and accounts, and a workstation that tries every share as every user and
# as a guest, lists the shares and prints on the appliance's printer.
# shellcheck shell=bash
# shellcheck source=examples/services/appliance_fs.sh
. "$(dirname "${BASH_SOURCE[0]}")/appliance_fs.sh"

SAMBA_PRINTER="lp"

# The spooler the print command names: it keeps what it is given where the
# check finds it (a copy of the job and a line about it), then drops the
# spool file as "-r" asks.
samba_lpr_stub() {
  cat <<'STUB'
#!/bin/sh
printer= remove= file=
for arg in "$@"; do
  case $arg in
    -P*) printer=${arg#-P} ;;
    -r) remove=1 ;;
    *) file=$arg ;;
  esac
done
[ -n "$printer" ] && [ -f "$file" ] || exit 1
job=$(date +%s%N)
cp "$file" "/var/spool/lpr-received/$job.data"
printf '%s %s %s\n' "$printer" "$(id -un)" "$job" >>/var/spool/lpr-received/jobs
if [ -n "$remove" ]; then rm -f "$file"; fi
STUB
}

# The layers over the library's /etc and /usr/ruvoro, and the received jobs.
samba_layers() {
  local work=$1
  mkdir -p "$work/usr/ruvoro/bin" "$work/root" "$work/received"
  appfs_etc_layer "$work/etc"
  samba_lpr_stub >"$work/usr/ruvoro/bin/lpr"
  chmod 0755 "$work/usr/ruvoro/bin/lpr"
  chmod 1777 "$work/received"
}

samba_server_start() {
  local work=$1 root=$1/root user pw
  box_holder_start smbd "$BOX_APPLIANCE_NS"
  appfs_root_make smbd "$root" "$work/etc" "$work/usr"
  box_in smbd mkdir -p -m 0755 "$root/var/lib/samba/private" "$root/var/cache/samba" \
    "$root/var/log/samba" "$root/run/samba" "$root/var/spool/lpr-received"
  box_in smbd chmod 0700 "$root/var/lib/samba/private"
  box_in smbd install -d -m 1777 "$root/var/spool/samba"
  box_in smbd mount --bind "$work/received" "$root/var/spool/lpr-received"
  for user in "${APPFS_USERS[@]}"; do
    pw=$(appfs_password "$user")
    printf '%s\n%s\n' "$pw" "$pw" | appfs_in smbd "$root" smbpasswd -a -s "$user" >/dev/null
  done
  box_spawn smbd chroot "$root" smbd --foreground --debug-stdout -d 1 \
    -s /etc/samba/smb.conf >"$work/smbd.log" 2>&1
  box_wait_port "$BOX_APPLIANCE_NS" 445 10
}

# The workstation's smbclient keeps its caches in tmpfs of its own.
samba_client_start() {
  local dir
  box_holder_start smbclient "$(box_ns "$APPFS_WORKSTATION")"
  for dir in /var/lib/samba /var/cache/samba /run/samba; do
    box_in smbclient mount -t tmpfs smbclient "$dir"
  done
}

samba_client() { box_in smbclient "$@"; }

# samba_list USER_ARGS...: the share names smbclient -L shows, polled (up
# to 10 s) while the helpers smbd starts on demand come up.
samba_list() {
  local out
  poll_until 10 0.5 _samba_list_once "$@" || return 1
  awk -F'|' '$1 == "Disk" || $1 == "Printer" { print $2 }' <<<"$out"
}

# _samba_list_once USER_ARGS...: one try, its listing left in samba_list's out.
_samba_list_once() {
  out=$(samba_client smbclient -g -L "//$BOX_APPLIANCE_ADDR" "$@" 2>/dev/null)
}

# samba_read / samba_write CLIENT SHARE WORK: one download of the probe
# file, one upload, as CLIENT; see appfs_access.
samba_auth() {
  if [ "$1" = guest ]; then echo -N; else echo "-U$1%$(appfs_password "$1")"; fi
}

# samba_connect CLIENT SHARE: smbclient's arguments that reach SHARE as
# CLIENT, one a line. CLIENT is a user, "guest" (no account), or a user
# who claims more: "guest+user:NAME" signs in as the unknown user NAME,
# "USER+netbios:NAME" sends NAME as its own NetBIOS name, and
# "USER+port139:NAME" calls the server by the NetBIOS name NAME on port 139.
samba_connect() {
  local user=${1%%+*} claim='' name=''
  if [[ $1 == *+* ]]; then
    claim=${1#*+}
    name=${claim#*:}
    claim=${claim%%:*}
  fi
  case $claim in
    user) printf '%s\n' "//$BOX_APPLIANCE_ADDR/$2" "-U$name%anything" ;;
    netbios) printf '%s\n' "//$BOX_APPLIANCE_ADDR/$2" "$(samba_auth "$user")" -n "$name" ;;
    port139) printf '%s\n' "//$name/$2" -I "$BOX_APPLIANCE_ADDR" -p 139 "$(samba_auth "$user")" ;;
    *) printf '%s\n' "//$BOX_APPLIANCE_ADDR/$2" "$(samba_auth "$user")" ;;
  esac
}

samba_read() {
  local down args
  down=$3/down-$(appfs_tag "$1-$2")
  mapfile -t args < <(samba_connect "$1" "$2")
  samba_client smbclient "${args[@]}" -c "get samba-probe.txt $down" >/dev/null 2>&1 &&
    cmp -s "$down" "$BOX_ROOT/shares/system/$2/samba-probe.txt"
}

samba_write() {
  local up tag args
  tag=$(appfs_tag "$1")
  up=$3/up-$(appfs_tag "$1-$2")
  printf 'from %s over Samba\n' "$1" >"$up"
  mapfile -t args < <(samba_connect "$1" "$2")
  samba_client smbclient "${args[@]}" -c "put $up samba-$tag.txt" >/dev/null 2>&1 &&
    cmp -s "$up" "$BOX_ROOT/shares/system/$2/samba-$tag.txt"
}

# The printer share shows once the spooler's printer list was asked for;
# then a job from alice must reach the print command byte for byte.
samba_print() {
  local work=$1 pw printer user job
  pw=$(appfs_password alice)
  samba_client rpcclient -U "alice%$pw" -c enumprinters "$BOX_APPLIANCE_ADDR" >/dev/null
  head -c 3000 /dev/urandom | base64 >"$work/job.txt"
  samba_client smbclient "//$BOX_APPLIANCE_ADDR/$SAMBA_PRINTER" -U "alice%$pw" \
    -c "print $work/job.txt" >/dev/null
  # Up to 5 s for the job; an empty list is reported below.
  poll_until 5 0.1 test -s "$work/received/jobs" || true
  read -r printer user job <"$work/received/jobs" || {
    echo "printer $SAMBA_PRINTER: the print command received nothing"
    return 1
  }
  if [ "$printer" != "$SAMBA_PRINTER" ] || [ "$user" != alice ] ||
    ! cmp -s "$work/job.txt" "$work/received/$job.data"; then
    echo "printer $SAMBA_PRINTER: lpr got printer $printer from $user, content differs"
    return 1
  fi
  echo "printer $printer: job from $user, $(wc -c <"$work/job.txt") bytes received by lpr"
}

samba_run() {
  local work=$BOX_OUT/work/samba status=0 started=$SECONDS shares
  mkdir -p "$work"
  samba_layers "$work"
  samba_server_start "$work"
  echo "smbd listening after $((SECONDS - started)) s"
  samba_client_start
  shares=$(samba_list -N) || {
    echo "smbclient -L found no server"
    cat "$work/smbd.log"
    return 1
  }
  echo "shares listed after $((SECONDS - started)) s"
  appfs_access samba "$work"
  echo "access tried after $((SECONDS - started)) s"
  samba_print "$work" >"$BOX_RESULTS/print.txt" || status=1
  {
    echo "smbclient -L: $(sort <<<"$shares" | tr '\n' ' ')"
    echo "smbclient -L after the printer list: $(samba_list -N | sort | tr '\n' ' ')"
    cat "$BOX_RESULTS/print.txt"
    echo "samba checks took $((SECONDS - started)) s"
  } >"$BOX_RESULTS/samba.txt"
  appfs_stop smbclient
  appfs_stop smbd
  return "$status"
}
