# The appliance's remote system log for real: rsyslogd on the appliance
# reads the syslog.conf the library wrote and must send the log host exactly
# what its rule selects; a second rsyslogd on the log host receives.
# shellcheck shell=bash
# shellcheck disable=SC2030,SC2031 # work is syslog_run's, all of it runs there
#
# Sourced by run_services.sh, which provides lib.sh and BOX_* (see there).

SYSLOG_LOGHOST=192.168.77.20

# What the appliance logs and whether the log host must get it: the rule
# "*.=info;*.=notice;mail.none" takes info and notice only, and no mail.
# Kept messages go first: once the last forwarded one has arrived, an
# earlier one wrongly forwarded would have arrived too.
SYSLOG_MESSAGES=(
  "mail.info kept"
  "user.err kept"
  "user.debug kept"
  "user.info forwarded"
  "daemon.notice forwarded"
)

# A subshell, so that its trap stops what it started however it ends.
syslog_run() (
  work=$BOX_OUT/syslog
  mkdir -p "$work"
  SYSLOG_PIDS=()
  trap _syslog_stop EXIT
  marker="nexa-check-$$-$RANDOM"
  _syslog_receiver_start
  _syslog_appliance_start
  local entry
  for entry in "${SYSLOG_MESSAGES[@]}"; do
    box_in syslog logger -t nexa -p "${entry%% *}" "$marker ${entry%% *}"
  done
  _syslog_wait_forwarded
  _syslog_report
)

# /dev on a tmpfs with the few nodes rsyslogd and logger use, so that
# /dev/log is the namespace's own; /var/log and /run on tmpfs.
_syslog_private_mounts() {
  local holder=$1 node
  box_in "$holder" mount -t tmpfs -o mode=0755 tmpfs /dev
  for node in "null 1 3" "zero 1 5" "random 1 8" "urandom 1 9" "tty 5 0"; do
    # shellcheck disable=SC2086 # name, major, minor
    set -- $node
    box_in "$holder" mknod -m 0666 "/dev/$1" c "$2" "$3"
  done
  box_in "$holder" mount -t tmpfs -o mode=0755 tmpfs /var/log
  box_in "$holder" mount -t tmpfs -o mode=0755 tmpfs /run
}

# The log host: takes UDP on its address and writes each message with its
# facility, priority and sender.
_syslog_receiver_start() {
  cat >"$work/loghost.conf" <<EOF
module(load="imudp")
input(type="imudp" address="$SYSLOG_LOGHOST" port="514")
template(name="received" type="string"
         string="%syslogfacility-text%.%syslogseverity-text% from %fromhost-ip%: %syslogtag%%msg%\n")
*.* /var/log/received.log;received
EOF
  box_holder_start loghost "$(box_ns loghost)"
  _syslog_private_mounts loghost
  box_spawn loghost rsyslogd -n -f "$work/loghost.conf" -i /run/rsyslogd.pid \
    >"$work/loghost.log" 2>&1
  SYSLOG_PIDS=("$BOX_LAST_PID")
  _syslog_wait "the log host's rsyslogd" netns_listens "$(box_ns loghost)" udp 514
}

# The appliance: its local socket (/dev/log, as the appliance's own logger
# has) and, as its rules, the library's file at the appliance's path
# /etc/syslog.conf through an overlay of /etc.
_syslog_appliance_start() {
  cat >"$work/appliance.conf" <<'EOF'
module(load="imuxsock")
$IncludeConfig /etc/syslog.conf
EOF
  box_holder_start syslog "$BOX_APPLIANCE_NS"
  _syslog_private_mounts syslog
  box_in syslog mkdir -p /run/etc/upper /run/etc/work
  box_in syslog cp "$BOX_ROOT/etc/syslog.conf" /run/etc/upper/syslog.conf
  box_in syslog mount -t overlay overlay \
    -o lowerdir=/etc,upperdir=/run/etc/upper,workdir=/run/etc/work /etc
  box_spawn syslog rsyslogd -n -f "$work/appliance.conf" -i /run/rsyslogd.pid \
    >"$work/appliance.log" 2>&1
  SYSLOG_PIDS+=("$BOX_LAST_PID")
  _syslog_wait "the appliance's rsyslogd" box_in syslog test -S /dev/log
}

# _syslog_wait WHAT CMD...: up to 5 s for CMD to succeed.
_syslog_wait() {
  local what=$1
  shift
  if ! poll_until 5 0.1 "$@"; then
    echo "syslog: $what did not come up"
    cat "$work"/*.log
    return 1
  fi
}

# Up to 5 s for every forwarded message at the log host; the report tells
# which did not come.
_syslog_wait_forwarded() {
  local wanted
  wanted=$(printf '%s\n' "${SYSLOG_MESSAGES[@]}" | grep -c ' forwarded$')
  poll_until 5 0.1 _syslog_received_at_least "$wanted" || true
}

# _syslog_received_at_least COUNT: COUNT of this run's messages reached the
# log host.
_syslog_received_at_least() {
  [ "$(_syslog_received | grep -c .)" -ge "$1" ]
}

# The lines of this run's messages that reached the log host.
_syslog_received() {
  box_in loghost cat /var/log/received.log 2>/dev/null | grep -F "$marker" || true
}

_syslog_report() {
  local received entry priority fate line failures=0
  received=$(_syslog_received)
  {
    echo "rule: $(cat "$BOX_ROOT/etc/syslog.conf")"
    for entry in "${SYSLOG_MESSAGES[@]}"; do
      read -r priority fate <<<"$entry"
      line=$(printf '%s\n' "$received" | grep -F "$marker $priority" || true)
      if [ "$fate" = forwarded ] && [ -z "$line" ]; then
        echo "$priority: NOT received by $SYSLOG_LOGHOST"
        failures=$((failures + 1))
      elif [ "$fate" = kept ] && [ -n "$line" ]; then
        echo "$priority: received by $SYSLOG_LOGHOST, though the rule excludes it: $line"
        failures=$((failures + 1))
      elif [ "$fate" = forwarded ]; then
        echo "$priority: received: $line"
      else
        echo "$priority: kept on the appliance, as the rule says"
      fi
    done
  } >"$BOX_RESULTS/syslog.txt"
  [ "$failures" -eq 0 ]
}

_syslog_stop() {
  local name pids=("${SYSLOG_PIDS[@]}")
  for name in "${!BOX_HOLDERS[@]}"; do pids+=("${BOX_HOLDERS[$name]}"); done
  proc_end_all "${pids[@]}"
}
