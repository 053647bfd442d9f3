# Names as an attacker would give them, for real: the example appliance
# again, with the users, groups and shares of hostile.conf added (names
# that Samba, the FTP server, the account files or an option parser read
# as syntax, a name with blanks and one with letters beyond ASCII). Then
# smbd and proftpd serve what the library wrote, on a LAN of their own,
# and every user, a guest, a guest who signs in under a share's name and a
# client that sends its own NetBIOS name try every share: nobody may get
# more than the configuration asks for, whatever the library did with
# each name.
# shellcheck shell=bash
# shellcheck source=examples/services/samba.sh
. "$(dirname "${BASH_SOURCE[0]}")/samba.sh"
# shellcheck source=examples/services/ftp.sh
. "$(dirname "${BASH_SOURCE[0]}")/ftp.sh"

HOSTILE_APPLIANCE=hostile-appliance
HOSTILE_WORKSTATION=hostile-workstation
# Clients that claim to be more than who they are; each must get what the
# user before "+" gets.
HOSTILE_SAMBA_CLIENTS=(guest+user:alice-work carol+netbios:alice-work carol+port139:alice-work)

# Called before the modules start: this module's servers listen on the
# same addresses and ports as the samba and ftp modules', so they get an
# appliance and a LAN of their own.
hostile_lan() {
  box_lan_create "$(box_ns "$HOSTILE_APPLIANCE")"
  box_client_add "$HOSTILE_WORKSTATION" 192.168.77.2/24 "" "$(box_ns "$HOSTILE_APPLIANCE")"
}

# The sandbox of this module: the example appliance with hostile.conf.
hostile_appliance() {
  local out=$1
  # Refused names make the example programs report failures; what the
  # library did with each name is read from the files below.
  "$APPFS_HERE/../run_appliance.sh" "$BOX_BUILD" "$out" "$APPFS_HERE/hostile.conf" \
    >"$out.log" 2>&1 || true
  [ -s "$out/root/etc/samba/smb.conf" ] || {
    echo "the example programs wrote no smb.conf:"
    cat "$out.log"
    return 1
  }
}

hostile_run() {
  local out=$BOX_OUT/hostile started=$SECONDS status=0 samba ftp
  local -a shared
  hostile_appliance "$out" || return 1
  # From here on, this module's appliance, root and results.
  BOX_ROOT=$out/root
  BOX_RESULTS=$out/results
  BOX_APPLIANCE_NS=$(box_ns "$HOSTILE_APPLIANCE")
  APPFS_WORKSTATION=$HOSTILE_WORKSTATION
  mkdir -p "$BOX_RESULTS" "$out/work/samba" "$out/work/ftp"
  mapfile -t shared < <("$NEXA_PYTHON" "$APPFS_HERE/hostile_names.py" \
    "$APPFS_HERE/hostile.conf" "$BOX_ROOT" --shared)
  APPFS_SHARES+=("${shared[@]}")

  samba_layers "$out/work/samba"
  samba_server_start "$out/work/samba" || return 1
  samba_client_start
  samba_list -N >/dev/null || {
    echo "smbclient -L found no server"
    cat "$out/work/samba/smbd.log"
    return 1
  }
  ftp_server_start "$out/work/ftp" || {
    cat "$out/work/ftp/proftpd.log" 2>/dev/null
    return 1
  }
  box_holder_start ftpclient "$(box_ns "$APPFS_WORKSTATION")"
  appfs_access samba "$out/work/samba" "${APPFS_CLIENTS[@]}" "${HOSTILE_SAMBA_CLIENTS[@]}" &
  samba=$!
  appfs_access ftp "$out/work/ftp" &
  ftp=$!
  wait "$samba" || status=1
  wait "$ftp" || status=1
  {
    echo "what the library did with each name of hostile.conf:"
    "$NEXA_PYTHON" "$APPFS_HERE/hostile_names.py" "$APPFS_HERE/hostile.conf" "$BOX_ROOT"
    echo "who may use which share, with those names added (Samba and proftpd for real):"
    "$NEXA_PYTHON" "$APPFS_HERE/access_table.py" "$BOX_RESULTS" \
      "$APPFS_HERE/../appliance.conf" "$APPFS_HERE/hostile.conf" || status=1
    echo "hostile names checked in $((SECONDS - started)) s"
  } >"$BOX_OUT/results/hostile.txt"
  appfs_stop ftpclient
  appfs_stop ftpd
  appfs_stop smbclient
  appfs_stop smbd
  return "$status"
}
