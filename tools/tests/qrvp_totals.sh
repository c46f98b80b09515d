# qrvp fit --totals: the group totals of the two Volve wells (rho 1 sums the quantiles; a rho
# given is used; with no backtests run, some are run for it) and the messages of bad headers.
DATA="$(cd "$(dirname "$0")/../../bench/data" && pwd)/volve_oil_monthly.csv"
. "$(dirname "$0")/lib.sh"

printf 'well,area\nF-12,Hub\nF-14,Hub\n' > wells.csv
expect_status 0 "$QRVP" fit "$DATA" --horizon 24 --headers wells.csv --totals AREA --totals-out t1.csv --rho 1 --threads 2
contains t1.csv "group,wells,p90,p50,p10,mean,rho,rho_pairs,sum_p90,sum_p10,message"
awk -F, 'NR==2 && $1=="Hub" && $2==2 && $7==1 && $8==0 {
  ok = ($3/$9 - 1)^2 < 1e-6 && ($5/$10 - 1)^2 < 1e-6 && $3 < $4 && $4 < $5; exit !ok } NR==2 {exit 1}' t1.csv ||
  fail "rho 1: the total's P90 and P10 are not the sums of the wells': $(cat t1.csv)"
printf 'history,horizon,centre,low,high,cases,noise_power,noise_floor\n0,6,0,-0.5,0.5,10,0.5,0.05\n' > cal.csv
expect_status 0 "$QRVP" fit "$DATA" --horizon 24 --headers wells.csv --totals area --totals-out learned.csv --no-prior --calibration cal.csv
awk -F, 'NR==2 {exit !($7 >= 0 && $7 <= 1 && $8 == 1 && $3 >= $9 && $5 <= $10)}' learned.csv ||
  fail "a learned rho lies outside 0 .. 1, is not of the pair's backtests, or its band outside the sums': $(cat learned.csv)"
expect_status 0 "$QRVP" fit "$DATA" --horizon 24 --headers wells.csv --totals area --totals-out zero.csv --rho 0
awk -F, 'NR==2 {exit !($7 == 0 && $8 == 0 && $3 > $9 && $5 < $10)}' zero.csv || fail "--rho 0 is not the rho used: $(cat zero.csv)"

printf 'well,area\nF-12,Hub\nF-14,\n' > blank.csv
printf 'well,area\nF-12,Hub\nF-14,Edge\n' > single.csv
printf 'well,area\nF-12,Hub\n' > absent.csv
while IFS='|' read -r file column status message; do
  expect_status "$status" "$QRVP" fit "$DATA" --horizon 24 --headers "$file" --totals "$column" --totals-out bad.csv
  contains err.txt "$message"
done <<'CASES'
wells.csv|county|2|wells.csv:1: error: the well headers have no column 'county' (they have: well, area)
blank.csv|area|2|blank.csv:3: error: well 'F-14' has no 'area'
absent.csv|area|2|absent.csv:1: error: well 'F-14' is absent from the well headers
single.csv|area|1|qrvp fit: error: the total of group 'Edge' is not given: group 'Edge' has one well ('F-14'): a total needs two or more
CASES
contains bad.csv "Edge,1,,,,,,,,,group 'Edge' has one well ('F-14'): a total needs two or more"
expect_status 2 "$QRVP" fit "$DATA" --headers wells.csv --totals area --totals-out x.csv
contains err.txt "--totals requires --horizon"
