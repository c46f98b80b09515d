#!/usr/bin/env bash
# Builds the optimised library and the qrvp command, then runs qrvp with the
# arguments given (default: a forecast of the built-in example wells).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/install-deps.sh >&2
cmake --preset release >/dev/null
cmake --build --preset release --target qrvp >/dev/null
[ $# -gt 0 ] || set -- forecast
exec "$root/build/release/tools/qrvp" "$@"
