# Odd well names give well-formed SVG or a clear error, and `version` reads the settings store within the library's bound.
. "$(dirname "$0")/lib.sh"

header='well,model,start,end,qi,qf,di,b,dmin,tau,n,decline_type'

# Well names cut inside a character or holding invalid bytes still give a
# well-formed plot.
printf '%s\n' "$header" "$(printf 'Ölquelle-Nord-Süd-Öst\xc3,arps,2025-01-01,2026-01-01,100,,10,0,,,,')" \
  "$(printf 'bad\xff\xfe\xc0\xafname,arps,2025-01-01,2026-01-01,100,,10,0,,,,')" \
  "$(printf '\xe6\xb2\xb9\xe4\xba\x95\xe6\xb2\xb9\xe4\xba\x95\xe6\xb2\xb9\xe4\xba\x95\xe6\xb2\xb9,arps,2025-01-01,2026-01-01,100,,10,0,,,,')" > utf8.csv
expect_status 0 "$QRVP" forecast utf8.csv --svg plot.svg
xmllint --noout plot.svg 2> xml.txt || { cat xml.txt >&2; fail "the plot is not well-formed XML"; }
contains plot.svg "bad$(printf '\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd')name"

# A name of more than 256 bytes is refused, naming its line; 256 are fine.
long=$(head -c 257 /dev/zero | tr '\0' 'w')
printf '%s\n' "$header" "${long%w},arps,2025-01-01,2025-03-01,100,,10,0,,,," "$long,arps,2025-01-01,2025-03-01,100,,10,0,,,," > long.csv
expect_status 1 "$QRVP" forecast long.csv
contains err.txt "long.csv:3:1: error: column 'well': the well name is 257 bytes long; at most 256 are allowed"
[ "$(wc -l < out.txt)" -eq 3 ] || fail "the 256-byte well was not forecast alone"

# A store over 16 MiB is ignored as the library ignores it, without reading it.
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Ostrel Labs\\Quarvex\\Error Log]\r\n"Filename"="/big.csv"\r\n' > big.reg
truncate -s 17M big.reg
QRVPFUNCS_REGISTRY="$WORK/big.reg" expect_status 0 "$QRVP" version
contains out.txt "(over 16 MiB, so ignored: every setting takes its default)"
contains out.txt "log file: $WORK/logs/QuarvexLog.csv (the default"
echo "faults: ok"
