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

# A missing column stops everything, naming the header line.
printf 'well,model,qi\nA,arps,100\n' > nostart.csv
expect_status 1 "$QRVP" forecast nostart.csv
contains err.txt "nostart.csv:1: error: missing column 'start'"
[ "$(wc -l < out.txt)" -eq 0 ] || fail "rows written without a start column"

# A file that cannot be read, and an empty table.
expect_status 2 "$QRVP" forecast no-such-file.csv
contains err.txt "cannot read 'no-such-file.csv'"
: > empty.csv
expect_status 1 "$QRVP" forecast empty.csv
contains err.txt "empty.csv:1: error: the table is empty"

# Usage errors.
expect_status 2 "$QRVP"
contains err.txt "Usage: qrvp"
expect_status 2 "$QRVP" forecast --threads 0
contains err.txt "--threads: Value 0 not in range 1 to 256"
expect_status 2 "$QRVP" forecast --months 12001
expect_status 0 "$QRVP" forecast --months 0  # the default: to the last segment's end
echo "forecast errors: ok"
