#!/usr/bin/env bash
# Installs what is needed, builds the sanitizer build, runs every test (the
# unit tests also on the appliance's processor, under qemu-user) and the lint,
# and builds the amd64 packages and installs them into a throwaway root.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh build
# The real services' packages, the packaging tools and the minimal Debian
# root the packages are installed into are needed only once the build is
# done; fetching them overlaps the compiles.
mkdir -p build
{ ./scripts/install-deps.sh services && ./scripts/install-deps.sh packages &&
  ./scripts/package_install_test.sh --prepare; } >build/install-services.log 2>&1 &
installing=$!
cmake --preset test
cmake --build --preset test
if ! wait "$installing"; then
  cat build/install-services.log
  exit 1
fi
# Beside the tests, each in a session of its own so that an interrupted run
# takes its processes down too:
# - the lint, which reads the test build's compile_commands.json;
# - the real services of the example appliance, which mostly wait (for
#   cron's next minute, for a lease).
setsid -w ./scripts/lint.sh build/test >build/lint.log 2>&1 &
lint=$!
setsid -w ctest --preset test -L services >build/services.log 2>&1 &
services=$!
# - the Debian packages (lintian-clean), installed with apt into a minimal
#   Debian root of their own, used by the examples and purged again.
setsid -w bash -c 'scripts/packages.sh amd64 && scripts/package_install_test.sh' \
  >build/packages.log 2>&1 &
packages=$!
trap 'kill -- "-$lint" "-$services" "-$packages" 2>/dev/null || true' EXIT
status=0
ctest --preset test -j2 -LE services || status=$?
# The appliance is 32-bit ARM: the unit tests cross-built and run under
# qemu-user (the build also proves the product still links for ARM).
{ cmake --preset arm-test && cmake --build --preset arm-test && ctest --preset arm-test -j2; } ||
  status=$?
# Each program runs whole there: count its tests from GoogleTest's summary.
arm_log=build/arm-test/Testing/Temporary/LastTest.log
if [ -f "$arm_log" ]; then
  awk '/^\[  PASSED  \]/ { passed += $4 } /^\[  FAILED  \] [0-9]+ test/ { failed += $4 }
    END { printf "unit tests on ARM under qemu-user: %d passed, %d failed\n", passed, failed }' "$arm_log"
fi
# Every fuzz target for a few seconds, from its seed corpus (a clang build
# of its own).
rm -rf build/fuzz-smoke
NEXA_FUZZ_WORK=build/fuzz-smoke ./scripts/fuzz.sh 4 || status=$?
services_status=0
wait "$services" || services_status=$?
lint_status=0
wait "$lint" || lint_status=$?
packages_status=0
wait "$packages" || packages_status=$?
trap - EXIT
echo "---- real services (build/services.log)"
cat build/services.log
echo "---- lint (build/lint.log)"
cat build/lint.log
echo "---- packages (build/packages.log)"
cat build/packages.log
[ "$status" -eq 0 ] && [ "$services_status" -eq 0 ] && [ "$lint_status" -eq 0 ] &&
  [ "$packages_status" -eq 0 ]
