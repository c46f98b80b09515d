# qrvp typewell: the profile of identical wells is the wells' own, its segments forecast it back, and bad
# headers are named on standard error; the tables and plots of fixed runs are kept as reviewed.
. "$(dirname "$0")/lib.sh"

# Twelve wells of one exponential decline, 36 months each, A-* twice the lateral of B-*.
awk 'BEGIN { print "well,date,volume,days_on";
  for (w = 1; w <= 12; w++) for (m = 0; m < 36; m++)
    printf "%s-%d,%d-%02d-01,%.6f,\n", (w <= 6 ? "A" : "B"), w, 2015 + int(m / 12), m % 12 + 1, 9000 * exp(-0.05 * m) * (w <= 6 ? 2 : 1) }' > h.csv
awk -F, 'NR == 1 { print "well,county,lateral_length_ft"; next } !seen[$1]++ { print $1 "," ($1 ~ /^A/ ? "X" : "Y") "," ($1 ~ /^A/ ? 10000 : 5000) }' h.csv > wells.csv

expect_status 0 "$QRVP" typewell h.csv --headers wells.csv --per lateral_length_ft=5000 --months 60 --min-wells 12 \
  --summary sum.csv --segments seg.csv --start 2030-01-01 --svg tw.svg --threads 2
contains out.txt "all,1,12,12,9000,9000,9000,9000,9000,9000"
lacks err.txt warning
snap sum.csv ef6ef838a8dd441ab278da7eeeacef933d563afc624fc4032cfc4773cfed4839 seg.csv b0b89e671cdea3fdd83f3cb235327355705cb83757f42e6b10fdeeb55bf9110e out.txt 582d0632a1f7d31b307c592617670f274bcb19ac41c0103977cf725a8f6fdbf0
# The plot read back: the P50 profile's points, placed by the year and decade
# labels, are the profile's months (in their middle) and volumes, in the frame.
awk -F, 'function at(a) { match($0, " " a "=\"[^\"]*\""); return substr($0, RSTART + length(a) + 3, RLENGTH - length(a) - 4) + 0 }
  NR == FNR { p[$2] = $6; next }
  /<rect x=/ { top = at("y"); bottom = top + at("height") }
  /text-anchor="end">1e-?[0-9]+</ { match($0, />1e-?[0-9]+</); te[++nt] = substr($0, RSTART + 3, RLENGTH - 4); ty[nt] = at("y") - 4 }
  /text-anchor="middle">[0-9]+</ { match($0, />[0-9]+</); yr[++ny] = substr($0, RSTART + 1, RLENGTH - 2); yx[ny] = at("x") }
  /stroke="#1f77b4" stroke-width="2"/ { match($0, /points="[^"]*"/); n = split(substr($0, RSTART + 8, RLENGTH - 9), pt, " ")
    for (k = 1; k <= n; k++) { split(pt[k], xy, ","); m = (xy[1] - yx[1]) / (yx[2] - yx[1]) * 12 * (yr[2] - yr[1]) + 0.5 - k
      e = te[1] + (ty[1] - xy[2]) / (ty[1] - ty[2]) * (te[2] - te[1]) - log(p[k]) / log(10)
      if (ny < 2 || !(m * m < 1e-4 && e * e < 1e-6 && xy[2] >= top && xy[2] <= bottom)) { print "point " k ": month off by " m ", decades by " e; bad = 1 } } }
  END { if (n != 60) print n " points for 60 months"; exit bad || n != 60 }' out.txt tw.svg || fail "the plot's P50 is not the profile's"
mv out.txt profile.csv
expect_status 0 "$QRVP" forecast seg.csv --exact
awk -F, 'NR == FNR { if ($2 == 60) want = $9; next } $1 == "all P50" { got = $5 }
  END { exit !(got > 0.995 * want && got < 1.005 * want) }' profile.csv out.txt || fail "the P50 segments' 60 months"

expect_status 0 "$QRVP" typewell h.csv --months 2 --min-wells 12 --segments s2.csv --summary sum2.csv --svg tw2.svg
contains err.txt "qrvp typewell: warning: group 'all': no decline fits its P10 profile; --segments leaves it out"
snap tw.svg a3797ba5f400aab873c1d8596e064b435405eaee3fc85cea9b45557a7e483a2b tw2.svg 3ba7f8aaf74653c5dac19280fd93d1c67f757a687a57ee05e0f720353152d7c0 err.txt bdba2e01b0a43ea3256dcf54890650047fe6152a474b2221afceef21b7a31f9d
"$QRVP" typewell h.csv --months 2 --min-wells 12 2>&1 >/dev/null | grep -q warning && fail "a warning without --segments"
expect_status 2 "$QRVP" typewell h.csv --months 2 --min-wells 12 --summary no/such/sum.csv && contains err.txt "qrvp typewell: cannot write 'no/such/sum.csv'"
expect_status 1 "$QRVP" typewell h.csv --headers wells.csv --by county --months 24 --svg none.svg
contains err.txt "qrvp typewell: error: group 'X' has 6 wells; a type well needs at least 10"
snap none.svg d7d1205675df2e2f7a87b4fa2145ec367535141a4a72d6a08a4acad9e16d20cd
expect_status 2 "$QRVP" typewell h.csv --headers wells.csv --by basin
contains err.txt "wells.csv:1: error: the well headers have no column 'basin' (they have: well, county, lateral_length_ft)"
grep -v '^B-1[12],' wells.csv > few.csv
expect_status 2 "$QRVP" typewell h.csv --headers few.csv --by county
contains err.txt "few.csv: error: 2 wells are absent from the well headers: 'B-11', 'B-12'"
echo "qrvp typewell: ok"
