#!/usr/bin/env bash
# Formats every C++ file of the project with clang-format 14, as CI checks them.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files --cached --others --exclude-standard '*.cpp' '*.h' | xargs clang-format-14 -i
