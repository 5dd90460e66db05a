#!/usr/bin/env bash
# Formats every C++ file of the project with clang-format 14, as CI checks them.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files '*.cpp' '*.h' | xargs clang-format-14 -i
