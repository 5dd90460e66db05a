#!/usr/bin/env bash
# Runs every test of the default build (build it first with tools/bootstrap.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen
ctest --preset default "$@"
