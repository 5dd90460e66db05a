#!/usr/bin/env bash
# Runs every test of the default build (build it first with tools/bootstrap.sh), in a random
# order each time: every test makes its own folders and ports, so no order may matter.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen
ctest --preset default --schedule-random "$@"
