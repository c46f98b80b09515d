#!/usr/bin/env bash
# Times `qrvp fit` on 10,000 synthetic wells of 120 months (no bootstrap) on 2
# threads, then fits some of the same wells with SciPy's least_squares, each
# well timed on its own in one run (bench/fit_scipy.py says how).
#
#   bash bench/fit_bench.sh [path/to/qrvp] [wells] [scipy_wells]
#
# Without a path, the Release preset is built first.  SciPy is Debian's
# python3-scipy, run by /usr/bin/python3.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
qrvp="${1:-}"
wells="${2:-10000}"
scipy_wells="${3:-1000}"
if [ -z "$qrvp" ]; then
  (cd "$root" && cmake --preset release >/dev/null && cmake --build --preset release --target qrvp >/dev/null)
  qrvp="$root/build/release/tools/qrvp"
fi
dpkg-query -W -f='${Status}' python3-scipy 2>/dev/null | grep -q "install ok installed" ||
  { SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"; $SUDO apt-get install -y -qq python3-scipy >/dev/null; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 "$root/bench/fit_scipy.py" generate "$wells" 120 "$work/wells.csv"

echo "qrvp fit: $wells wells x 120 months, no bootstrap, 2 threads, $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg)"
# Wall-clock seconds, best of three, with the processor seconds of that run.
best=""
for run in 1 2 3; do
  /usr/bin/time -f "%e %U %S" -o "$work/time" "$qrvp" fit "$work/wells.csv" --bootstrap 0 --threads 2 \
    --report "$work/report.csv" > "$work/segments.csv"
  read -r wall user sys < "$work/time"
  if [ -z "$best" ] || awk -v a="$wall" -v b="${best%% *}" 'BEGIN{exit !(a < b)}'; then best="$wall $user $sys"; fi
done
read -r wall user sys <<< "$best"
fitted=$(grep -c ',ok,' "$work/report.csv" || true)
echo "  best of 3: $wall s wall, $(awk -v u="$user" -v s="$sys" 'BEGIN{print u + s}') s processor; $fitted of $wells wells fitted"
echo "  models chosen: $(awk -F, 'NR>1{n[$3]++} END{for (m in n) printf "%s %d  ", m, n[m]}' "$work/report.csv")"
/usr/bin/python3 "$root/bench/fit_scipy.py" fit "$work/wells.csv" "$scipy_wells"
