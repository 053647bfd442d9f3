#!/usr/bin/env bash
# Runs every fuzz target for SECONDS (default 60), two at a time, each on a
# growing copy of its seed corpus kept outside the tree, and prints one line
# per target: executions, executions per second, coverage, corpus size and
# findings (crashes, leaks, timeouts, running out of memory). Fails when a
# target found anything; the inputs are kept beside the copy.
#
#   scripts/fuzz.sh [SECONDS]          run
#   scripts/fuzz.sh --merge [SECONDS]  run, then add to the seed corpora the
#                                      inputs that reach new code (minimised)
set -euo pipefail
cd "$(dirname "$0")/.."

merge=false
if [ "${1:-}" = --merge ]; then
  merge=true
  shift
fi
seconds=${1:-60}
work=${NEXA_FUZZ_WORK:-${XDG_CACHE_HOME:-$HOME/.cache}/nexa-fuzz}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_targets >/dev/null
mkdir -p "$work"

# One target: name, binary, seed corpus, longest input. Prints its line.
run_target() {
  local name=$1 binary=$2 seeds=$3 max_len=$4
  local dir="$work/$name"
  mkdir -p "$dir/corpus" "$dir/findings"
  # The log of the last run only; findings stay until looked at. Stacks of
  # allocations cost a third of a run; a finding replayed shows them.
  ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=0} "$binary" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=1024 \
    -print_final_stats=1 -artifact_prefix="$dir/findings/" \
    "$dir/corpus" "$seeds" >"$dir/log" 2>&1 || true
  local runs per_second coverage corpus findings
  runs=$(awk '/^stat::number_of_executed_units/ { print $NF }' "$dir/log")
  per_second=$(awk '/^stat::average_exec_per_sec/ { print $NF }' "$dir/log")
  coverage=$(grep -o 'cov: [0-9]*' "$dir/log" | tail -1 | cut -d' ' -f2)
  corpus=$(find "$dir/corpus" -type f | wc -l)
  findings=$(find "$dir/findings" -type f | wc -l)
  printf '%-22s %10s %9s %6s %7s %9s\n' "$name" "${runs:-0}" "${per_second:-0}" \
    "${coverage:-0}" "$corpus" "$findings"
  if $merge && [ "$findings" -eq 0 ]; then
    "$binary" -merge=1 -max_len="$max_len" "$seeds" "$dir/corpus" >"$dir/merge.log" 2>&1
  fi
}
export -f run_target
export work seconds merge

printf '%-22s %10s %9s %6s %7s %9s\n' target executions per_s cov corpus findings
xargs -P 2 -L 1 bash -c 'run_target "$@"' _ <build/fuzz/fuzz_targets.txt | sort
found=$(find "$work"/*/findings -type f 2>/dev/null | wc -l)
if [ "$found" -gt 0 ]; then
  echo "findings kept under $work/*/findings:"
  find "$work"/*/findings -type f
  exit 1
fi
