# A segment's cumulative is the library's volume exactly, and its months add up to it.
. "$(dirname "$0")/lib.sh"

cat > one.csv <<'CSV'
well,model,start,end,qi,qf,di,b,dmin,tau,n,decline_type
H,arps,2020-01-01,2022-01-01,1000,,100,1,10,,,
CSV
expect_status 0 "$QRVP" forecast one.csv --exact
[ "$(wc -l < out.txt)" -eq 25 ] || fail "24 monthly rows expected, got $(($(wc -l < out.txt) - 1))"
contains out.txt "well,date,rate,volume,cumulative"
contains out.txt "H,2020-01-01,1000,"
last_cum="$(tail -1 out.txt | cut -d, -f5)"
"$QRVP" call GetArpsVol2 2020-01-01 2022-01-01 1000 1 1 0.1 > call.txt || fail "GetArpsVol2 call failed"
lib_vol="$(sed -n 's/^Vol = //p' call.txt)"
[ "$last_cum" = "$lib_vol" ] || fail "cumulative $last_cum differs from the library's volume $lib_vol"
# The months add up to the segment's volume (to rounding), and each rate is the
# library's rate at the month's start.
awk -F, -v want="$lib_vol" 'NR > 1 { s += $4 } END { d = s - want; if (d < 0) d = -d; exit !(d <= 1e-9 * want) }' out.txt \
  || fail "monthly volumes do not add up to $lib_vol"
rate_jul="$(grep '^H,2021-07-01,' out.txt | cut -d, -f3)"
"$QRVP" call GetArpsQt 2021-07-01 2020-01-01 1000 1 1 0.1 > call.txt
[ "Qt = $rate_jul" = "$(grep '^Qt = ' call.txt)" ] || fail "rate $rate_jul is not the library's $(grep '^Qt' call.txt)"

# Two segments meeting mid-month, the second chained to the first's end rate:
# the cumulative at the end is the sum of both segments' volumes, and the month
# holding the boundary gets a share of each.
cat > two.csv <<'CSV'
well,model,start,end,qi,qf,di,b,dmin,tau,n,decline_type
L,lintime,2020-01-01,2020-06-16,500,,120,,,,,
L,sedm,,2021-01-01,,,,,,2,0.5,
CSV
expect_status 0 "$QRVP" forecast two.csv --exact
[ "$(wc -l < out.txt)" -eq 13 ] || fail "12 monthly rows expected"
"$QRVP" call GetLinTimQt 2020-06-16 2020-01-01 500 120 > q.txt
q1="$(sed -n 's/^Qt = //p' q.txt)"
"$QRVP" call GetLinTimVol 2020-01-01 2020-06-16 500 "$q1" > v1.txt
"$QRVP" call GetSEDMVol "$q1" 2020-06-16 2021-01-01 2 0.5 > v2.txt
v1="$(sed -n 's/^Vol = //p' v1.txt)"; v2="$(sed -n 's/^Vol = //p' v2.txt)"
last_cum="$(tail -1 out.txt | cut -d, -f5)"
awk -v a="$v1" -v b="$v2" -v c="$last_cum" 'BEGIN { d = a + b - c; if (d < 0) d = -d; exit !(d <= 1e-9 * c) }' \
  || fail "cumulative $last_cum is not $v1 + $v2"
june="$(grep '^L,2020-06-01,' out.txt | cut -d, -f4)"
awk -v j="$june" 'BEGIN { exit !(j > 0) }' || fail "the boundary month has no volume"

# The same forecast on one thread and on several is the same text, and a
# well rejected on a worker thread is still reported with its own record.
{
  echo "well,model,start,end,qi,qf,di,b,dmin,tau,n,decline_type"
  for i in $(seq 1 150); do
    echo "A$i,arps,2020-0$((i % 9 + 1))-01,,$((1000 + i)),,50,0.8,8,,,secant"
    echo "S$i,sedm,2021-01-15,2024-01-01,$((2000 + i)),,,,,1.5,0.5,"
    [ "$i" -eq 75 ] && echo "Bad,arps,2020-01-01,2021-01-01,0,50,,0.5,,,,"
  done
} > many.csv
"$QRVP" forecast many.csv --months 48 --threads 1 > m1.txt 2> e1.txt
[ $? -eq 1 ] || fail "the rejected well does not set the exit status"
expect_status 1 "$QRVP" forecast many.csv --months 48 --threads 4
cmp -s m1.txt out.txt || fail "threads change the output of many wells"
cmp -s e1.txt err.txt || fail "threads change the messages"
contains err.txt "many.csv:152:5: error: column 'qi': GetArpsDi rejected"
contains err.txt "Invalid parameters: Qi (0.000000), Qt (50.000000), StartDate (1/1/2020), EndDate (1/1/2021)"
[ "$(grep -c '^A150,' out.txt)" -eq 48 ] || fail "A150 does not have 48 months"
echo "forecast volumes: ok"
