#!/usr/bin/env bash
# Times `qrvp forecast` on 10,000 wells of 600 monthly steps each, written to
# /dev/null, on 1 and 2 threads (best of three runs each), and in the same run
# the bare floor of a switching fleet (fleet_bench's BM_FleetBareFloor).
#
#   bash bench/forecast_bench.sh [path/to/qrvp] [wells] [months] [mixed|switching]
#
# mixed (the default) mixes the three models evenly: hyperbolic Arps with a
# switch to Dmin (secant-effective declines), a linear-with-time ramp chained
# into an Arps decline, and stretched exponential; switching has only the
# first kind.  Without a path, the Release preset is built first.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
qrvp="${1:-}"
wells="${2:-10000}"
months="${3:-600}"
mix="${4:-mixed}"
if [ -z "$qrvp" ]; then
  (cd "$root" && cmake --preset release >/dev/null && cmake --build --preset release --target qrvp fleet_bench >/dev/null)
  qrvp="$root/build/release/tools/qrvp"
fi
floor="$(dirname "$qrvp")/../bench/fleet_bench"
table="$(mktemp --suffix=.csv)"
trap 'rm -f "$table"' EXIT
awk -v n="$wells" -v mix="$mix" 'BEGIN {
  srand(1)
  print "well,model,start,end,qi,qf,di,b,dmin,tau,n,decline_type"
  for (i = 0; i < n; i++) {
    y = 2020 + i % 5; m = 1 + i % 12
    if (mix == "switching" || i % 3 == 0)
      printf "W%05d,arps,%d-%02d-01,,%.1f,,%.1f,%.2f,%.1f,,,secant\n", i, y, m, 1000 + rand() * 19000, 30 + rand() * 50, 0.3 + rand() * 1.2, 5 + rand() * 5
    else if (i % 3 == 1) {
      printf "W%05d,lintime,%d-%02d-15,%d-%02d-15,%.1f,,-%.1f,,,,,\n", i, y, m, y + 1, m, 1000 + rand() * 4000, 100 + rand() * 400
      printf "W%05d,arps,,,,,%.1f,0.8,6,,,tangent\n", i, 10 + rand() * 30
    } else
      printf "W%05d,sedm,%d-%02d-01,,%.1f,,,,,%.2f,%.2f,\n", i, y, m, 1000 + rand() * 19000, 0.5 + rand() * 2.5, 0.3 + rand() * 0.4
  }
}' > "$table"

rows="$("$qrvp" forecast "$table" --months "$months" --threads 2 | wc -l)"
echo "qrvp forecast: $wells $mix wells x $months months ($((rows - 1)) rows) to /dev/null, $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg 2>/dev/null || echo ?)"
# Wall-clock seconds, best of three, with the processor seconds (user + system)
# of that run: on a machine that other work shares, the processor time shows
# the cost and the wall time what was left of the cores.
TIMEFORMAT='%R %U %S'
for threads in 1 2; do
  best=""
  cpu=""
  for run in 1 2 3; do
    t=$( { time "$qrvp" forecast "$table" --months "$months" --threads "$threads" > /dev/null; } 2>&1 )
    read -r real user sys <<< "$t"
    if [ -z "$best" ] || awk -v a="$real" -v b="$best" 'BEGIN { exit !(a < b) }'; then
      best="$real"
      cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
    fi
  done
  echo "  --threads $threads: ${best} s (processor time ${cpu} s)"
done
if [ -x "$floor" ]; then
  # Processor time per value of the bare floor, and what it comes to for these rows.
  ns="$("$floor" --benchmark_filter=BM_FleetBareFloor --benchmark_repetitions=3 --benchmark_format=csv 2>/dev/null |
        awk -F, '/_median/ { print $4 / 6e6 * 1e6 }')"
  awk -v ns="$ns" -v rows="$((rows - 1))" 'BEGIN { printf "  bare floor, one thread: %.1f ns per value, %.2f s for these rows\n", ns, ns * rows / 1e9 }'
fi
