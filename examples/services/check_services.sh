#!/usr/bin/env bash
# The test of the example appliance's real services: run_services.sh into a
# temporary directory, removed afterwards.
#
#   examples/services/check_services.sh BUILD_DIR
set -euo pipefail
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$(dirname "$0")/run_services.sh" "$1" "$out"
