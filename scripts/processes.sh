# Sourced helpers to watch and end the processes a test LAN started.
# shellcheck shell=bash

# proc_alive PID: true while PID runs; a finished child not reaped yet
# counts as gone.
proc_alive() {
  local state
  state=$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ]
}

# proc_end_all PID...: SIGTERM to each, then SIGKILL to those still running
# after 2 s. Never fails.
proc_end_all() {
  local pid left
  for pid in "$@"; do kill -TERM "$pid" 2>/dev/null || true; done
  for _ in $(seq 20); do
    left=0
    for pid in "$@"; do
      if proc_alive "$pid"; then left=1; fi
    done
    if [ "$left" = 0 ]; then return 0; fi
    sleep 0.1
  done
  for pid in "$@"; do
    if proc_alive "$pid"; then kill -KILL "$pid" 2>/dev/null || true; fi
  done
  return 0
}
