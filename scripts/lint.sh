#!/usr/bin/env bash
# Lint of the tree: clang-format, clang-tidy over every source file of ours in
# a configured build, and copy-paste twins in the product code. Prints one
# summary line per step and exits non-zero when any step has a finding.
#
#   scripts/lint.sh [BUILD_DIR]    BUILD_DIR holds compile_commands.json
#                                  (default build/test)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build/test}
[[ $build = /* ]] || build=$root/$build
database=$build/compile_commands.json
jobs=2
if [ ! -f "$database" ]; then
  echo "lint: $database is missing; configure that build first" >&2
  exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mapfile -t sources < <(git ls-files -- upnp_presence libnexa platform bench cmake examples |
  grep -E '\.(c|cpp|h)$')
summary=()
failed=0

# ---- clang-format. The nearest .clang-format decides: the C headers and the C
# test have one of their own.
unformatted=0
for file in "${sources[@]}"; do
  clang-format --dry-run --Werror "$file" || unformatted=$((unformatted + 1))
done
if [ "$unformatted" -eq 0 ]; then
  summary+=("clang-format: clean (${#sources[@]} files)")
else
  summary+=("clang-format: $unformatted of ${#sources[@]} files not formatted")
  failed=1
fi

# ---- clang-tidy over every .c and .cpp file of the product code that the
# build compiles (the test build's sanitizer flags are ones clang reads too),
# with the repository's whole check list. The static analyzer, more than half
# of clang-tidy's time, reads the two deliverables, with a third of its
# default budget of paths per function (an eighth less time; it still follows
# calls, which its shallow mode would not); the fuzz targets, benchmarks,
# examples and the configuration stand-in get the other checks.
# The tests are left to the compiler's warnings (an error in the test build):
# most of clang-tidy's time on them went into the test framework's headers,
# and the test command's time is better spent running the tests on the
# appliance's processor.
sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$database" | sort -u >"$work/compiled"
product=()
beside=()
for file in "${sources[@]}"; do
  [[ $file = *.h || $file = */tests/* ]] && continue
  if ! grep -qxF "$root/$file" "$work/compiled"; then
    echo "lint: $file is not in $database; clang-tidy skips it"
  elif [[ $file = */fuzz/* || ! ($file = libnexa/* || $file = upnp_presence/*) ]]; then
    beside+=("$root/$file")
  else
    product+=("$root/$file")
  fi
done

tidy() {  # tidy [CLANG_TIDY_OPTION...] -- FILE...
  local extra=()
  while [ "$1" != -- ]; do
    extra+=("$1")
    shift
  done
  shift
  [ $# -eq 0 ] && return 0
  local status=0
  # A file whose preprocessed text, command and configuration gave a clean
  # run before is not run again.
  "$root/scripts/tidy_cached.py" "$build" "$jobs" "${extra[@]}" -- "$@" \
    >"$work/tidy.raw" 2>&1 || status=$?
  # Leave out the counts of warnings in system headers and the colours.
  sed -r 's/\x1b\[[0-9;]*m//g' "$work/tidy.raw" |
    grep -Ev '^clang-tidy(-[0-9]+)? |^[0-9]+ warnings? generated\.$' || true
  return "$status"
}

tidy_status=0
{
  tidy -extra-arg=-Xclang -extra-arg=-analyzer-config -extra-arg=-Xclang \
    -extra-arg=max-nodes=75000 -- "${product[@]}" || tidy_status=$?
  tidy -checks=-clang-analyzer-* -- "${beside[@]}" || tidy_status=$?
} >"$work/tidy.log" 2>&1
cat "$work/tidy.log"
findings=$(grep -cE '^[^ ]+:[0-9]+:[0-9]+: (warning|error): ' "$work/tidy.log" || true)
units=$((${#product[@]} + ${#beside[@]}))
if [ "$tidy_status" -eq 0 ] && [ "$findings" -eq 0 ]; then
  summary+=("clang-tidy: clean ($units files)")
else
  summary+=("clang-tidy: $findings findings in $units files (status $tidy_status)")
  failed=1
fi

# ---- duplicates over the product code: both deliverables and the stand-in,
# without their tests (alike test cases are fine). It reads a copy of exactly
# those files, so that pairs across folders show too.
if command -v duplicates >/dev/null; then
  mkdir "$work/product"
  git ls-files -z --cached --others --exclude-standard -- upnp_presence libnexa platform/odb |
    while IFS= read -r -d '' file; do
      [[ $file = */tests/* || ! -f $file ]] || cp --parents -- "$file" "$work/product/"
    done
  (cd "$work/product" && duplicates --most 200 --seconds 120) >"$work/duplicates.log"
  cat "$work/duplicates.log"
  # Rows marked boilerplate are thin shapes (punctuation, keywords) a folder
  # repeats; they are not twins to merge.
  # Pairs kept apart on purpose are listed, with the reason, in
  # scripts/duplicates-allowed.txt ("fileA fileB  # why").
  allowed=$(sed -E 's/#.*//; /^[[:space:]]*$/d' scripts/duplicates-allowed.txt |
    awk '{ printf "%s:[0-9-]+ ~ %s:[0-9-]+\n%s:[0-9-]+ ~ %s:[0-9-]+\n", $1, $2, $2, $1 }')
  twins=$(grep -E '^D[0-9]+ ' "$work/duplicates.log" | grep -v ' boilerplate' |
    { if [ -n "$allowed" ]; then grep -Evf <(echo "$allowed"); else cat; fi; } | grep -c . || true)
  if grep -q '^incomplete:' "$work/duplicates.log"; then
    summary+=("duplicates: incomplete (see above)")
    failed=1
  elif [ "$twins" -gt 0 ]; then
    summary+=("duplicates: $twins pairs in the product code")
    failed=1
  else
    summary+=("duplicates: none in the product code")
  fi
else
  echo "lint: NOTICE: no duplicates command on this machine; copy-paste twins are not checked"
  summary+=("duplicates: skipped, the command is not on this machine")
fi

echo
printf 'lint: %s\n' "${summary[@]}"
exit "$failed"
