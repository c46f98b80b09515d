# No input crashes qrvp: every table below ends with status 0 or 1 (never a
# signal), whatever it holds.
. "$(dirname "$0")/lib.sh"

header='well,model,start,end,qi,qf,di,b,dmin,tau,n,decline_type'
n=0
check() {
  n=$((n + 1))
  printf '%s\n' "$@" > "t$n.csv"
  "$QRVP" forecast "t$n.csv" --months 24 > out.txt 2> err.txt
  local s=$?
  clean_run err.txt "table $n"
  [ $s -le 1 ] || { cat err.txt >&2; fail "table $n ($*) ended with status $s"; }
}
check "$header" "A,arps,2025-01-01,,nan,,10,0.5,,,,"
check "$header" "A,arps,2025-01-01,,1e308,,1e308,1e308,1e308,,,"
check "$header" "A,arps,2025-01-01,,5e-324,,-36,-0.5,-1,,,"
check "$header" "A,arps,1800-01-01,2999-12-31,100,1e-300,,2,,,,"
check "$header" "A,arps,2025-01-01,,100,,99.9999999999,5,,,,secant"
check "$header" "A,lintime,2025-01-01,,100,,-1e300,,,,,"
check "$header" "A,sedm,2025-01-01,,100,,,,,1e-300,1e300,"
check "$header" "A,sedm,2025-01-01,2025-01-01T00:00:01,100,50,,,,,-3,"
check "$header" "A,arps,99999-01-01,,100,,10,,,,,"
check "$header" 'A,arps,"2025-01-01,",,100' '"unterminated'
check ',,,,' ',,,,'
check "$header" "A,arps,2025-01-01,,100,,10,,,,,,,,,,extra"
printf '\xff\xfe\x00\x01binary\n\x00,\x00\n' > bin.csv
"$QRVP" forecast bin.csv > /dev/null 2> err.txt; [ $? -le 1 ] || fail "binary input crashed"
clean_run err.txt binary input
"$QRVP" forecast --months 12000 > /dev/null 2> err.txt; [ $? -le 1 ] || fail "a long horizon crashed"
clean_run err.txt long horizon

# Calls with hostile arguments print their result; none crashes.
for args in "GetArpsQt 2999-12-31 1800-01-01 1e308 1e308 1e308 1e308" \
            "GetSEDMVol inf 2020-01-01 9999-99-99T99:99:99 0 0" \
            "BendArpsSegment 1 2020-01-01 1 2020-01-01 1 2020-01-01 0" \
            "GetRegistryValueInt Quarvex\\Valcore MaxConnections"; do
  # shellcheck disable=SC2086
  "$QRVP" call $args > out.txt 2> err.txt
  s=$?
  clean_run err.txt call "$args"
  [ $s -le 1 ] || fail "call $args ended with status $s"
  contains out.txt "log:"
done
echo "hostile input: ok"
