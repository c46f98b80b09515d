# qrvp version reports the settings store and the log file it names; the plot is a standalone SVG with one curve per well and its markers, kept as reviewed.
. "$(dirname "$0")/lib.sh"

printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Ostrel Labs\\Quarvex\\Error Log]\r\n"Levels"=dword:00000020\r\n"Systems"=dword:00000200\r\n"Filename"="%s\\\\sub\\mine.csv"\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Ostrel Labs\\Quarvex\\Valcore]\r\n"MaxConnections"=dword:00000008\r\n' "$WORK" > store.reg
QRVPFUNCS_REGISTRY="$WORK/store.reg" expect_status 0 "$QRVP" version
contains out.txt "QRVPFuncs 3.1.13.664"
contains out.txt "settings store: $WORK/store.reg"
contains out.txt "log file: $WORK/sub/mine.csv (\"Filename\" in the store)"
contains out.txt "log filter: Levels 0x00000020, Systems 0x00000200 (the calculations' records are kept)"
contains out.txt "report connections: 8"
# The registry editor's own export: UTF-16LE after its byte-order mark.
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE store.reg; } > store16.reg
QRVPFUNCS_REGISTRY="$WORK/store16.reg" expect_status 0 "$QRVP" version
contains out.txt "log file: $WORK/sub/mine.csv (\"Filename\" in the store)"
printf '[HKEY_LOCAL_MACHINE\\Software\\Ostrel Labs\\Quarvex\\Error Log]\r\n"Filename"="%s\\\\q\\"uote\\".csv"\r\n' "$WORK" > quote.reg
QRVPFUNCS_REGISTRY="$WORK/quote.reg" expect_status 0 "$QRVP" version
contains out.txt "log file: $WORK/q\"uote\".csv (\"Filename\" in the store)"  # \\ and \" are escapes; the quote kept does not end the name
QRVPFUNCS_REGISTRY="$WORK/none.reg" expect_status 0 "$QRVP" version
contains out.txt "(not found: every setting takes its default)"
contains out.txt "log file: $WORK/logs/QuarvexLog.csv (the default"
contains out.txt "report connections: 20"

# qrvp call leaves the user's own log file alone.
mkdir sub; QRVPFUNCS_REGISTRY="$WORK/store.reg" "$QRVP" call GetArpsQt 2019-01-01 2020-01-01 1 1 0 0 > out.txt
contains out.txt "FindDate (1/1/2019) is less than StartDate (1/1/2020)"
[ ! -e "$WORK/sub/mine.csv" ] || fail "qrvp wrote the user's log file"

expect_status 0 "$QRVP" forecast --svg plot.svg
# A name keeps its characters of two, three (one led by 0xE0) and four bytes; a surrogate's
# bytes, an over-long form and a stray byte each become U+FFFD; U+FFFE, not XML, goes; markup is escaped.
printf 'well,model,start,end,qi,qf,di,b,dmin,tau,n,decline_type\nA\xc3\xa9\xe0\xa4\x85\xe2\x82\xac\xef\xbf\xbe\xf0\x9f\x98\x80\xed\xa0\x80\xe0\x80\xbf\x80<&>,arps,2025-01-01,2035-01-01,12000,,65,1.1,10,,,secant\nSteep,arps,2025-01-01,2035-01-01,1000000,,99.99,0,,,,tangent\n' > utf8.csv
expect_status 0 "$QRVP" forecast utf8.csv --svg utf8.svg
contains utf8.svg "<title>A$(printf '\xc3\xa9\xe0\xa4\x85\xe2\x82\xac\xf0\x9f\x98\x80')$(printf '\xef\xbf\xbd%.0s' 1 2 3 4 5 6 7)&lt;&amp;&gt;</title>"
# The example's plot and one whose rates fall through more decades than are shown, as reviewed.
snap plot.svg fcb8e54d254ecf4ccbc3e96cc0b9340c70c1bfb3a5ed999083b7b4dadd4c1de5 utf8.svg 3986912adb9b010d5cd63231f647fee9cedbb20fdf9692b82c51496e9fb86f32
expect_status 2 "$QRVP" forecast --svg "$WORK/no/such/dir/plot.svg"
contains err.txt "cannot write"
echo "version and svg: ok"
