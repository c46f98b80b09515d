# Bad rows are named by file, line and column with the library's own record;
# the other wells are still forecast, and the exit status says something failed.
. "$(dirname "$0")/lib.sh"

cat > bad.csv <<'CSV'
well,model,start,end,qi,qf,di,b,dmin,tau,n,decline_type,remark
Good-1,arps,2025-01-01,2026-01-01,1000,,50,0.5,,,,,"fine, quoted"
Good-3,sedm,2025-01-01,,1000,500,,,,2,0.5,,
BadModel,arpss,2025-01-01,2026-01-01,1000,,50,0.5,,,,,
BadDate,arps,2025-02-30,2026-01-01,1000,,50,0.5,,,,,
ZeroQi,arps,2025-01-01,2026-01-01,0,100,,0.5,,,,,
NoTau,sedm,2025-01-01,2026-01-01,1000,,,,,0,0.5,,
Good-2,lintime,2025-01-01,2026-01-01,1000,,100,,,,,,
BadType,arps,2025-01-01,2026-01-01,1000,,30,0.5,,,,effective,
Open,arps,2025-01-01,,1000,,30,0.5,,,,,
Open,arps,2026-01-01,,800,,30,0.5,,,,,
CSV
expect_status 1 "$QRVP" forecast bad.csv
contains err.txt "bad.csv:1:13: warning: column 'remark': unknown column"
contains err.txt "bad.csv:4:2: error: column 'model': unknown model 'arpss'"
contains err.txt "bad.csv:5:3: error: column 'start': bad date '2025-02-30'"
contains err.txt "bad.csv:6:5: error: column 'qi': GetArpsDi rejected"
contains err.txt "library log: GetArpsDi (source line"
contains err.txt "Invalid parameters: Qi (0.000000), Qt (100.000000), StartDate (1/1/2025), EndDate (1/1/2026)"
contains err.txt "bad.csv:7:10: error: column 'tau':"
contains err.txt "Invalid Qi (1000.000000), tau (0.000000), or n (0.500000)"
contains err.txt "bad.csv:9:12: error: column 'decline_type': unknown decline type 'effective'"
contains err.txt "bad.csv:10:4: error: column 'end': only a well's last segment may leave both end and qf blank"
[ "$(grep -c '^Good-1,' out.txt)" -eq 12 ] || fail "Good-1 is not forecast"
[ "$(grep -c '^Good-2,' out.txt)" -eq 12 ] || fail "Good-2 is not forecast"
[ "$(grep -c '^Good-3,' out.txt)" -ge 11 ] || fail "Good-3 (sedm to qf) is not forecast"
lacks out.txt "BadModel"
lacks out.txt "ZeroQi"

# An open last segment starting at the horizon (360 months) still has its month.
printf '%s\n' well,model,start,end,qi,di,b O,arps,2000-01-01,2030-01-01,100,10,0 O,arps,2030-01-01,,50,10,0 > open.csv
expect_status 0 "$QRVP" forecast open.csv
contains out.txt "O,2030-01-01,50.000000,"

# A missing column stops everything, naming the header line.
printf 'well,model,qi\nA,arps,100\n' > nostart.csv
expect_status 1 "$QRVP" forecast nostart.csv
contains err.txt "nostart.csv:1: error: missing column 'start'"
[ "$(wc -l < out.txt)" -eq 0 ] || fail "rows written without a start column"

# An empty table.
: > empty.csv
expect_status 1 "$QRVP" forecast empty.csv
contains err.txt "empty.csv:1: error: the table is empty"

# Usage errors, status 2: each bounded option at its bounds (taken: the run
# goes on to find no input) and a step past them (refused by name).
expect_status 2 "$QRVP"
contains err.txt "Usage: qrvp"
expect_status 0 "$QRVP" forecast --help  # asked for, help is no error
printf 'well,date,volume\nA,2020-01-01,100\n' > h.csv
while read -r cmd opt below lo hi above extra; do
  for v in "$below" "$lo" "$hi" "$above"; do
    # shellcheck disable=SC2086
    expect_status 2 "$QRVP" "$cmd" none.csv "$opt" "$v" $extra
    if [ "$v" = "$below" ] || [ "$v" = "$above" ]; then contains err.txt "$opt: Value $v not in range"
    else contains err.txt "qrvp $cmd: cannot read 'none.csv'"; fi
  done
done <<'ROWS'
forecast --months -1 0 12000 12001
forecast --threads 0 1 256 257
forecast --decimals -1 0 17 18
fit --bootstrap -1 0 100000 100001
fit --threads 0 1 256 257
fit --horizon 0 1 1200 1201
fit --soft-l1-scale 0 1e-300 1e308 -1
fit --rho -0.001 0 1 1.001 --totals a --headers h.csv --horizon 1 --totals-out t.csv
typewell --months 0 1 1200 1201
typewell --min-wells 0 1 1000000 1000001
typewell --recency 0.00999 0.01 1000 1000.01
typewell --threads 0 1 256 257
ROWS
# The options the commands check themselves, and the inputs they cannot read.
while IFS='|' read -r args message; do
  # shellcheck disable=SC2086
  expect_status 2 "$QRVP" $args
  contains err.txt "$message"
done <<'ROWS'
fit h.csv --headers none.csv --totals a --horizon 1 --totals-out t.csv|qrvp fit: cannot read the well headers 'none.csv'
fit h.csv --prior none.csv|qrvp fit: cannot read the prior 'none.csv'
fit h.csv --calibration none.csv|qrvp fit: cannot read the calibration 'none.csv'
fit h.csv --start 2020-02-30|qrvp fit: bad --start date '2020-02-30' (YYYY-MM-DD)
fit h.csv --model cubic|qrvp fit: unknown model 'cubic' (
typewell h.csv --headers none.csv|qrvp typewell: cannot read 'none.csv'
typewell none.csv --model cubic|qrvp typewell: unknown model 'cubic' (
typewell none.csv --align middle|qrvp typewell: --align must be first or peak, not 'middle'
typewell none.csv --spread width|qrvp typewell: --spread must be cumulative or rate, not 'width'
typewell none.csv --start 2020-02-30|qrvp typewell: bad --start date '2020-02-30' (YYYY-MM-DD)
typewell none.csv --by county|qrvp typewell: --by and --per need the well headers (--headers FILE)
typewell none.csv --per c=1|qrvp typewell: --by and --per need the well headers (--headers FILE)
typewell none.csv --headers w.csv --per c=5e-324|qrvp typewell: cannot read 'none.csv'
typewell none.csv --headers w.csv --per c|--per must be COLUMN=UNIT with a unit above 0 (lateral_length_ft=10000), not 'c'
typewell none.csv --headers w.csv --per =5|--per must be COLUMN=UNIT with a unit above 0 (lateral_length_ft=10000), not '=5'
typewell none.csv --headers w.csv --per c=0|not 'c=0'
typewell none.csv --headers w.csv --per c=inf|not 'c=inf'
ROWS
expect_status 0 "$QRVP" forecast --months 0  # the default: to the last segment's end
echo "forecast errors: ok"
