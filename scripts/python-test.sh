#!/usr/bin/env bash
# Builds the Python package qrvpfuncs with Debian's python3 into a virtual
# environment that sees Debian's NumPy, pandas, pytest and Dask, and runs its
# tests.  QRVP_BIN names a built qrvp to compare forecasts with (default: the
# dev build's).
set -euo pipefail
cd "$(dirname "$0")/.."
venv=build/venv
[ -x "$venv/bin/python" ] || /usr/bin/python3 -m venv --system-site-packages "$venv"
"$venv/bin/pip" install --no-build-isolation --no-index --no-deps -q --root-user-action=ignore ./python
# A hung test (a cluster that never starts) fails the run instead of stalling it.
QRVP_BIN="${QRVP_BIN:-$PWD/build/dev/tools/qrvp}" timeout 900 "$venv/bin/python" -m pytest -q -p no:cacheprovider python/tests
