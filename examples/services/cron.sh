# The appliance's scheduled time update for real: busybox crond runs root's
# crontab as the library wrote it, and its job must call ntpdate with the
# library's arguments. ntpdate is a stand-in that records the call, so the
# clock is never set and nothing leaves the box.
# shellcheck shell=bash
# shellcheck disable=SC2030,SC2031 # work is cron_run's, all of it runs there
#
# Sourced by run_services.sh, which provides lib.sh and BOX_* (see there).

CRON_CRONTAB=/var/spool/cron/crontabs/root

# How crond must read the library's weekly time job, field by field: the
# size of crond's table for the field and which entries are set (Sunday
# midnight). crond prints its tables at log level 5.
CRON_WEEKLY=(
  "minute 60 0"
  "hour 24 0"
  "day 32 all"
  "month 12 all"
  "weekday 7 0"
)

# A subshell, so that its trap stops what it started however it ends.
# crond starts at once: its wait for the minute overlaps the other modules.
cron_run() (
  work=$BOX_OUT/cron
  mkdir -p "$work"
  CRON_PIDS=()
  trap _cron_stop EXIT
  _cron_start
  _cron_wait_job
  _cron_report
)

_cron_start() {
  box_holder_start cron "$BOX_APPLIANCE_NS"
  box_in cron mount -t tmpfs -o mode=0755 tmpfs /run
  box_in cron mkdir -p /run/crontabs /run/usr-bin/upper /run/usr-bin/work
  _cron_ntpdate_stub
  _cron_crontab >"$work/root"
  box_in cron cp "$work/root" /run/crontabs/root
  box_spawn cron busybox crond -f -l 5 -L /run/crond.log -c /run/crontabs \
    >"$work/crond.out" 2>&1
  CRON_PIDS+=("$BOX_LAST_PID")
}

# /usr/bin/ntpdate, for this mount namespace only: an overlay on /usr/bin
# whose upper layer holds the stand-in.
_cron_ntpdate_stub() {
  box_in cron sh -c 'cat >/run/usr-bin/upper/ntpdate && chmod 0755 /run/usr-bin/upper/ntpdate' <<'EOF'
#!/bin/sh
# Records the call instead of setting the clock.
echo "$(date '+%Y-%m-%d %H:%M:%S') $*" >>/run/ntpdate.calls
EOF
  box_in cron mount -t overlay overlay \
    -o lowerdir=/usr/bin,upperdir=/run/usr-bin/upper,workdir=/run/usr-bin/work /usr/bin
}

# The library's crontab, each job once as written (crond must accept it)
# and once more with its schedule moved to the coming minute: the time job
# is weekly and the check cannot wait for Sunday midnight. The commands stay
# exactly as the library wrote them. Too close to the minute's end, crond
# might start after it: the minute after then.
_cron_crontab() {
  local now target when
  now=$(date +%s)
  target=$((now - now % 60 + 60))
  if [ $((target - now)) -lt 3 ]; then target=$((target + 60)); fi
  CRON_TARGET=$target
  echo "$target" >"$work/target"
  cat "$BOX_ROOT$CRON_CRONTAB"
  when=$(date -d "@$target" '+%-M %-H')
  grep -Ev '^[[:space:]]*(#|$)' "$BOX_ROOT$CRON_CRONTAB" |
    sed -E "s/^[[:space:]]*([^[:space:]]+[[:space:]]+){5}/$when * * * /"
}

# Until 15 s past the coming minute for the stand-in's first call; without
# it the report tells. Fails when crond ended first.
_cron_wait_job() {
  local left crond_ended=0
  left=$((CRON_TARGET + 15 - $(date +%s)))
  if [ "$left" -lt 0 ]; then left=0; fi
  poll_until "$left" 1 _cron_job_called || return 0
  if [ "$crond_ended" = 1 ]; then
    echo "cron: crond ended"
    cat "$work/crond.out"
    return 1
  fi
}

# True once the stand-in was called, or once crond ended (crond_ended=1 is
# left in _cron_wait_job's variable).
_cron_job_called() {
  if box_in cron test -s /run/ntpdate.calls; then return 0; fi
  if ! proc_alive "${CRON_PIDS[0]}"; then
    crond_ended=1
    return 0
  fi
  return 1
}

# Every job the library scheduled must have run with its own arguments, at
# the minute it was moved to.
_cron_report() {
  local calls crond_log wanted line status=0
  calls=$(box_in cron cat /run/ntpdate.calls 2>/dev/null || true)
  crond_log=$(box_in cron cat /run/crond.log 2>/dev/null || true)
  {
    echo "crontab as the library wrote it:"
    sed 's/^/  /' "$BOX_ROOT$CRON_CRONTAB"
    echo "moved to $(date -d "@$CRON_TARGET" '+%H:%M') for the check:"
    tail -n +"$(($(grep -c '' "$BOX_ROOT$CRON_CRONTAB") + 1))" "$work/root" | sed 's/^/  /'
    echo "crond said (its tables left out):"
    printf '%s\n' "$crond_log" | grep -Ev '^([01]+)?$' | sed 's/^/  /'
    echo "ntpdate was called:"
    printf '%s\n' "${calls:-(never)}" | sed 's/^/  /'
  } >"$BOX_RESULTS/cron.txt"
  wanted=$(_cron_ntpdate_arguments)
  line=$(printf '%s\n' "$calls" | grep -m 1 . || true)
  if [ "${line#* * }" != "$wanted" ]; then
    echo "FAIL: ntpdate was not called with '$wanted'" >>"$BOX_RESULTS/cron.txt"
    status=1
  elif [ "$(date -d "${line%" $wanted"}" +%s)" -ge $((CRON_TARGET + 60)) ]; then
    echo "FAIL: the job ran late" >>"$BOX_RESULTS/cron.txt"
    status=1
  fi
  _cron_schedule_check "$crond_log" || status=1
  return "$status"
}

# crond's tables for the first line (the library's, as written) must say
# weekly, and it must have found no fault in any line.
_cron_schedule_check() {
  local tables entry field size set row=0 status=0
  mapfile -t tables < <(printf '%s\n' "$1" | grep -E '^[01]+$' || true)
  if printf '%s\n' "$1" | grep -q 'parse error'; then
    echo "FAIL: crond refused part of the crontab" >>"$BOX_RESULTS/cron.txt"
    status=1
  fi
  for entry in "${CRON_WEEKLY[@]}"; do
    read -r field size set <<<"$entry"
    if [ "${tables[$row]:-}" != "$(_cron_bits "$size" "$set")" ]; then
      echo "FAIL: crond reads the $field as '${tables[$row]:-}'" >>"$BOX_RESULTS/cron.txt"
      status=1
    fi
    row=$((row + 1))
  done
  [ "$status" -ne 0 ] || echo "crond reads the library's line as weekly, Sunday 00:00" >>"$BOX_RESULTS/cron.txt"
  return "$status"
}

# _cron_bits SIZE SET: crond's table of SIZE entries, all set or only SET.
_cron_bits() {
  local i bits=""
  for ((i = 0; i < $1; i++)); do
    if [ "$2" = all ] || [ "$2" = "$i" ]; then bits+=1; else bits+=0; fi
  done
  printf '%s' "$bits"
}

# The arguments the library's time job gives ntpdate.
_cron_ntpdate_arguments() {
  grep -m 1 'ntpdate' "$BOX_ROOT$CRON_CRONTAB" | sed -E 's#.*/ntpdate( |$)##'
}

_cron_stop() {
  local name pids=("${CRON_PIDS[@]}")
  for name in "${!BOX_HOLDERS[@]}"; do pids+=("${BOX_HOLDERS[$name]}"); done
  proc_end_all "${pids[@]}"
}
