#!/usr/bin/env bash
# Builds the formula evaluator's fuzz target with clang in its own build
# directory and fuzzes for SECONDS seconds (default 60), starting from the
# committed corpus.  New inputs go to a scratch directory, so the committed
# seeds stay as they are; a crashing input is left as build/fuzz/crash-*.
# Usage: tests/fuzz/run.sh [SECONDS]
set -euo pipefail
seconds="${1:-60}"
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${QRVP_FUZZ_BUILD_DIR:-$root/build/fuzz}"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQRVP_FUZZ=ON \
  -DQRVP_BUILD_BENCH=OFF -DQRVP_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" -j2 --target formula_fuzz

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cd "$build"
./tests/fuzz/formula_fuzz -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$scratch" "$root/tests/fuzz/corpus/formula"
