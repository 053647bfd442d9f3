#!/usr/bin/env bash
# Installs what is needed, builds the sanitizer build and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset test
cmake --build --preset test
ctest --preset test -j2
# The appliance is 32-bit ARM: prove the cross-build still links.
cmake --preset arm
cmake --build --preset arm
