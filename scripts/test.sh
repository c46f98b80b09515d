#!/usr/bin/env bash
# Builds the library, its tests and tools (Debug) and runs every test, then
# the Python package's.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev
ctest --preset dev
bash scripts/python-test.sh
