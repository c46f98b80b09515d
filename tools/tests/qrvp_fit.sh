# qrvp fit: its segment table's forecast reproduces the fit's remaining volume to the digit; bad wells
# are named on standard error and skipped; the tables and plots of fixed runs are kept as reviewed.
DATA="$(cd "$(dirname "$0")/../../bench/data" && pwd)/volve_oil_monthly.csv"
. "$(dirname "$0")/lib.sh"

expect_status 0 "$QRVP" fit "$DATA" --bootstrap 20 --threads 2 --report report.csv --svg fit.svg --horizon 24
mv out.txt segments.csv
snap report.csv 691bf2c24a97769f4cf2c96ebd7035a9743df24ed94deafb1b8890bda60900ad segments.csv 8699f2469baa920a0f28fe8f6cecf8cee55f7ccc07db7bcc401384d5c512df4a fit.svg 13be618f7449d61e61840293c9f29dcfca027c795074757461c7dd83a137b824
expect_status 0 "$QRVP" forecast segments.csv --exact
mv out.txt forecast.csv
for well in F-12 F-14; do
  # Cumulative at the history's end (the end of 2016-09) and at the segment's end.
  at_end=$(awk -F, -v w=$well '$1==w && $2=="2016-09-01"{print $5}' forecast.csv)
  last=$(awk -F, -v w=$well '$1==w{c=$5} END{print c}' forecast.csv)
  remaining=$(awk -F, -v w=$well '$1==w{print $24}' report.csv)
  [ -n "$at_end" ] && [ -n "$remaining" ] || fail "$well: no forecast or report row"
  awk -v a="$at_end" -v b="$last" -v r="$remaining" 'BEGIN{exit !((b - a) == r + 0)}' ||
    fail "$well: forecast volume after the history $last - $at_end differs from the fit's remaining $remaining"
done
# The plot read back: each month's point, placed by its panel's own year and decade labels (to the day their one-decimal places allow), lies in the frame mid-month at its rate per 30.4375 days on.
awk -F, 'function day(y, m) { if (m < 3) { y--; m += 12 } return 365 * y + int(y / 4) - int(y / 100) + int(y / 400) + int((153 * (m - 3) + 2) / 5) }
  function at(a) { match($0, " " a "=\"[^\"]*\""); return substr($0, RSTART + length(a) + 3, RLENGTH - length(a) - 4) + 0 }
  function panel() { if (w != "" && (k != n[w] || ny < 2 || (ty[1] - bottom)^2 + (ty[nt] - top)^2 > 1e-4)) { print w ": " k " points for " n[w] " months, decades from " ty[1] " to " ty[nt]; bad = 1 } }
  NR == FNR { if ($3 > 0 && $4 > 0) { n[$1]++; s[$1, n[$1]] = day(substr($2, 1, 4), substr($2, 6, 2) + 0); r[$1, n[$1]] = $3 / $4 * 30.4375 } next }
  /font-weight="bold"/ { panel(); match($0, />[^ ]+ \(/); w = substr($0, RSTART + 1, RLENGTH - 3); k = nt = ny = 0 }
  /<rect x=/ { top = at("y"); bottom = top + at("height") }
  /text-anchor="end">1e-?[0-9]+</ { match($0, />1e-?[0-9]+</); te[++nt] = substr($0, RSTART + 3, RLENGTH - 4); ty[nt] = at("y") - 4 }
  /text-anchor="middle">[0-9][0-9][0-9][0-9]</ { match($0, />[0-9]+</); yd[++ny] = day(substr($0, RSTART + 1, 4), 1); yx[ny] = at("x") }
  /<circle cx=/ { k++; d = yd[1] + (at("cx") - yx[1]) / (yx[ny] - yx[1]) * (yd[ny] - yd[1]) - s[w, k]
    e = te[1] + (ty[1] - at("cy")) / (ty[1] - ty[2]) * (te[2] - te[1]) - log(r[w, k]) / log(10)
    if (!(d > 12.5 && d < 17 && at("cy") >= top && at("cy") <= bottom) || (log(r[w, k]) / log(10) > te[1] && !(e * e < 1e-5))) { print w " month " k ": day " d ", decades " e; bad = 1 } }
  END { panel(); exit bad }' "$DATA" fit.svg || fail "the fit plot's points are not the history's"

# Least squares in calendar time, and a well whose every month is under one unit of volume, with a one-month band, as reviewed.
awk -F, -v OFS=, '$1 == "F-14" { $3 /= 1e6 } 1' "$DATA" > small.csv
expect_status 0 "$QRVP" fit small.csv --least-squares --calendar --bootstrap 0 --svg small.svg --horizon 1 --report small_report.csv
snap out.txt 93f7a2a8e4c1a0d04dec1512cd5bc643ee30f788318a3f3a45b7acac2236251f small.svg f2434b498e479f95e4afac20765c332b9a65a843fa15ff0a150daf3f84cec556 small_report.csv e6e4b099260ada32b2146bd561422c1dfb2d8df14c428a2d729f1a853a565d1a

# The same fits from standard input, straight into the forecast.
"$QRVP" fit - --bootstrap 0 < "$DATA" | "$QRVP" forecast - > piped.csv 2>err.txt || fail "fit | forecast"
clean_run err.txt fit piped
[ "$(grep -c '^F-12,' piped.csv)" -gt 600 ] || fail "the piped forecast is short"

cat > bad.csv <<'CSV'
# Good-1 is fine though its rows are out of order
well,volume,date,days_on
Good-1,900,2020-02-01,29
Good-1,1000,2020-01-01,31
Good-1,810,2020-03-01,
Good-1,730,2020-04-01,30
Good-1,650,2020-05-01,31
BadDate,100,2020-13-01,
Negative,-5,2020-01-01,
Negative,100,2020-02-01,
Twice,100,2020-01-01,
Twice,90,2020-01-01,
Short,100,2020-01-01,
Over,100,2020-01-01,45
Over,90,2020-02-01,
,5,2020-01-01,
CSV
expect_status 1 "$QRVP" fit bad.csv --model hyperbolic --bootstrap 0 --report bad_report.csv
contains err.txt "bad.csv:16: warning: the row names no well; it is skipped"
contains err.txt "bad.csv:9: error: well 'Negative' is not fitted: period 0: the volume (-5) must be a finite number, zero or more"
contains err.txt "bad.csv:12: error: well 'Twice' is not fitted: its month 2020-01-01 overlaps the month of line 11"
contains err.txt "well 'Short' is not fitted: 1 usable periods cannot fit the 3 parameters of the hyperbolic model"
contains err.txt "bad.csv:14: error: well 'Over' is not fitted: period 0: the days on (45) must lie between 0 and the period's 31 days"
snap out.txt 06ceb6a414068eeccee6a6383a80164473584d76b3b9339472b4ff70a63e388e bad_report.csv cf7224cd0a9f0efd0ca7c4d2a4532b9bd22873a5588204d44cf1e7d63c2636e9

printf 'well,date\nA,2020-01-01\n' > nocol.csv
expect_status 2 "$QRVP" fit nocol.csv
contains err.txt "missing column 'volume'"

# The prior and cells a run saves, read back, give that run's fits and bands (50 scaled copies of F-14, one cell of 50 backtests each).
awk -F, -v OFS=, '/^#/ || $1 == "well" { print; next } $1 == "F-14" { v = $3; for (k = 1; k <= 50; k++) { $1 = "W" k; $3 = v * (1 + k / 100); print } }' "$DATA" > fleet.csv
expect_status 0 "$QRVP" fit fleet.csv --horizon 24 --report a.csv --save-prior prior.csv --save-calibration cells.csv
mv out.txt a.txt
expect_status 0 "$QRVP" fit fleet.csv --horizon 24 --report b.csv --prior prior.csv --calibration cells.csv
cmp -s out.txt a.txt && cmp -s a.csv b.csv || fail "a run given the prior and cells it saved fits or bands otherwise"
awk -F, 'NR == 2 { ok = $5 > 0 } FNR == 2 && FILENAME == "cells.csv" { cells = 1 } END { exit !(ok && cells) }' prior.csv cells.csv ||
  fail "50 wells learned no prior or no cells: $(cat prior.csv cells.csv)"
expect_status 0 "$QRVP" fit fleet.csv --no-regimes --save-prior whole.csv && awk -F, 'NR == 2 { exit !($8 == 1) }' whole.csv || fail "--no-regimes saved: $(cat whole.csv)"

# 12-month wells keep the default strength over the weak one their 6-month backtests favour; 24-month wells do not.
for months in 12 24; do
  /usr/bin/python3 "$(dirname "$0")/../../bench/fit_scipy.py" generate 200 $months young.csv
  expect_status 0 "$QRVP" fit young.csv --save-prior young_prior.csv
  awk -F, -v m=$months 'NR == 2 { exit !(m == 12 ? $5 == 1 : $5 < 1) }' young_prior.csv || fail "$months months: $(cat young_prior.csv)"
done
# Alone, no 12-month well's b runs to its bounds (104 of 200 did), and the lone prior a run saves, read back, bands as that run did.
/usr/bin/python3 "$(dirname "$0")/../../bench/fit_scipy.py" generate 200 12 young.csv
expect_status 0 "$QRVP" fit young.csv --no-prior --horizon 24 --report lone_a.csv --save-prior lone.csv
awk -F, 'NR > 1 && ($8 == 0 || $8 == 2) { exit 1 }' out.txt || fail "12-month wells alone fit b at its bounds"
expect_status 0 "$QRVP" fit young.csv --prior lone.csv --horizon 24 --report lone_b.csv
cmp -s lone_a.csv lone_b.csv || fail "a run given the lone prior it saved bands otherwise"
