#!/usr/bin/env bash
# Installs what is needed, builds the sanitizer build, runs every test and the
# lint.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset test
cmake --build --preset test
# Lint reads the test build's compile_commands.json. It runs beside the tests
# and the cross-build to keep the whole command short, in a session of its own
# so that an interrupted run takes its clang-tidy processes down too.
setsid -w ./scripts/lint.sh build/test >build/lint.log 2>&1 &
lint=$!
trap 'kill -- "-$lint" 2>/dev/null || true' EXIT
status=0
ctest --preset test -j2 || status=$?
if [ "$status" -eq 0 ]; then
  # The appliance is 32-bit ARM: prove the cross-build still links.
  { cmake --preset arm && cmake --build --preset arm; } || status=$?
fi
lint_status=0
wait "$lint" || lint_status=$?
trap - EXIT
echo "---- lint (build/lint.log)"
cat build/lint.log
[ "$status" -eq 0 ] && [ "$lint_status" -eq 0 ]
