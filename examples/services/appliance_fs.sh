# Sourced helpers for the modules that serve the system volume (samba.sh,
# ftp.sh): the appliance's file system as its daemons see it, and the demo
# passwords of its users.
# shellcheck shell=bash
#
# The appliance keeps its shares at /shares/system, a path the host lacks,
# so each such service runs chrooted into a root of its own, made inside
# its private mount namespace:
#   /etc  the library's files (passwd, group, smb.conf...) over the host's
#   /usr  the host's, with the appliance's /usr/ruvoro tree over it
#   /shares  the sandbox's share directories
#   /var /run /tmp  empty tmpfs directories
# Nothing of it is visible outside that mount namespace.

APPFS_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
APPFS_USERS=(alice bob carol)
APPFS_SHARES=(public family photos alice-work)
# Who tries the shares: the users and a guest. A module may add clients
# that claim more ("carol+netbios:NAME"): the user before "+" is who they
# are, and their access must be that user's.
APPFS_CLIENTS=("${APPFS_USERS[@]}" guest)
# The client namespace the checks run in.
# shellcheck disable=SC2034 # read by the modules that source this file
APPFS_WORKSTATION=workstation

# appfs_tag TEXT: TEXT as a file name part (letters, digits, "-" and "_").
appfs_tag() {
  printf '%s' "$1" | tr -c 'A-Za-z0-9_-' '_'
}

# appfs_password USER: the demo password of USER.
appfs_password() {
  awk -v user="$1" '$1 == user { print $2; found = 1 } END { exit !found }' \
    "$APPFS_HERE/passwords"
}

# appfs_shadow PASSWD: a shadow file for the accounts of PASSWD, with the
# demo password for the users that have one and a locked one otherwise.
appfs_shadow() {
  local name hash pw
  while IFS=: read -r name _; do
    hash='!'
    if pw=$(appfs_password "$name"); then hash=$(openssl passwd -6 "$pw"); fi
    printf '%s:%s:19000:0:99999:7:::\n' "$name" "$hash"
  done <"$1"
}

# appfs_etc_layer DIR: what the appliance's /etc has beside the library's
# files: the shadow file of its accounts, and account look-ups from the
# files alone (the host's extra sources would invent accounts such as
# "nobody" the appliance may lack).
appfs_etc_layer() {
  mkdir -p "$1"
  appfs_shadow "$BOX_ROOT/etc/passwd" >"$1/shadow"
  chmod 0640 "$1/shadow"
  printf '%s\n' 'passwd: files' 'group: files' 'shadow: files' 'hosts: files' >"$1/nsswitch.conf"
}

# appfs_root_make HOLDER DIR ETC_LAYER USR_LAYER: builds the root in DIR
# (an empty directory) inside HOLDER's mount namespace. ETC_LAYER and
# USR_LAYER are directories laid over the library's /etc and /usr/ruvoro.
appfs_root_make() {
  local holder=$1 dir=$2 etc_layer=$3 usr_layer=$4 link
  box_in "$holder" mount -t tmpfs -o mode=0755 appfs "$dir"
  box_in "$holder" mkdir -p "$dir/etc" "$dir/usr" "$dir/dev" "$dir/proc" "$dir/sys" \
    "$dir/shares" "$dir/var/log" "$dir/var/spool" "$dir/var/lib" "$dir/var/cache" \
    "$dir/run" "$dir/tmp" "$dir/root"
  box_in "$holder" chmod 1777 "$dir/tmp"
  for link in bin sbin lib lib32 lib64; do
    if [ -L "/$link" ]; then box_in "$holder" ln -s "$(readlink "/$link")" "$dir/$link"; fi
  done
  box_in "$holder" ln -s ../run "$dir/var/run"
  box_in "$holder" mount -t overlay appfs-etc \
    -o "lowerdir=$etc_layer:$BOX_ROOT/etc:/etc" "$dir/etc"
  box_in "$holder" mount -t overlay appfs-usr \
    -o "lowerdir=$usr_layer:$BOX_ROOT/usr:/usr" "$dir/usr"
  box_in "$holder" mount --rbind /dev "$dir/dev"
  box_in "$holder" mount --rbind /proc "$dir/proc"
  box_in "$holder" mount --rbind /sys "$dir/sys"
  box_in "$holder" mount --bind "$BOX_ROOT/shares" "$dir/shares"
}

# appfs_in HOLDER DIR CMD...: runs CMD chrooted into DIR in HOLDER's
# namespaces and waits for it.
appfs_in() {
  local holder=$1 dir=$2
  shift 2
  box_in "$holder" chroot "$dir" "$@"
}

# appfs_stop HOLDER: ends every process of HOLDER's mount namespace (the
# daemon, the helpers it forked into sessions of their own, the holder).
appfs_stop() {
  local holder_pid=${BOX_HOLDERS[$1]} mnt pid
  local -a pids=()
  mnt=$(readlink "/proc/$holder_pid/ns/mnt") || return 0
  for pid in /proc/[0-9]*; do
    if [ "$(readlink "$pid/ns/mnt" 2>/dev/null)" = "$mnt" ]; then pids+=("${pid#/proc/}"); fi
  done
  proc_end_all "${pids[@]}"
}

# appfs_access SERVICE WORK [CLIENT...]: what every client (APPFS_CLIENTS
# by default) may do on every share through SERVICE, as lines
# CLIENT<TAB>SHARE<TAB>write|read|none in $BOX_RESULTS/SERVICE-access.tsv.
# SERVICE_read CLIENT SHARE WORK must succeed when the client downloads the
# share's probe file (SERVICE-probe.txt) intact, and SERVICE_write CLIENT
# SHARE WORK when its upload lands on the volume. Each client's tries run
# side by side: a connection costs most of a second.
appfs_access() {
  local service=$1 work=$2 client share
  shift 2
  local -a clients=("$@") running=()
  if [ ${#clients[@]} -eq 0 ]; then clients=("${APPFS_CLIENTS[@]}"); fi
  for share in "${APPFS_SHARES[@]}"; do
    printf 'probe of %s\n' "$share" >"$BOX_ROOT/shares/system/$share/$service-probe.txt"
  done
  for client in "${clients[@]}"; do
    _appfs_user_access "$service" "$client" "$work" >"$work/access-$(appfs_tag "$client")" &
    running+=("$!")
  done
  wait "${running[@]}"
  for client in "${clients[@]}"; do cat "$work/access-$(appfs_tag "$client")"; done \
    >"$BOX_RESULTS/$service-access.tsv"
}

_appfs_user_access() {
  local service=$1 user=$2 work=$3 share got
  for share in "${APPFS_SHARES[@]}"; do
    got="none"
    if "${service}_read" "$user" "$share" "$work"; then got="read"; fi
    if "${service}_write" "$user" "$share" "$work"; then
      # Writing without reading is no access this appliance grants.
      if [ "$got" = read ]; then got="write"; else got="write-only"; fi
    fi
    printf '%s\t%s\t%s\n' "$user" "$share" "$got"
  done
}
