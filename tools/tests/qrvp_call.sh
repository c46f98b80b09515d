# qrvp call from the command line: the call, its exit status and its records.
. "$(dirname "$0")/lib.sh"

expect_status 0 "$QRVP" call GetArpsQt 2021-01-01 2020-01-01 100 0.5 0 0
contains out.txt "GetArpsQt(FindDate=2021-01-01, StartDate=2020-01-01, Qi=100, Di=0.5, b=0, Dmin=0)"

# A failure shows the record the library wrote, with its exact message.
expect_status 1 "$QRVP" call GetArpsQt 2019-01-01 2020-01-01 100 0.5 0 0
contains out.txt "log: 1 record"
contains out.txt ",9,5,0,(null),"
contains out.txt ",GetArpsQt,"
contains out.txt "FindDate (1/1/2019) is less than StartDate (1/1/2020)"
lacks out.txt "$(printf '\r')"  # the record's line end is not part of its message

# In/out parameters show their old value.  (qrvp_call_test holds every
# call's results, shown or "(not written)", to the library's own.)
expect_status 0 "$QRVP" call ValidateArps 2000-01-01 1000 1 1 0 100 2005-01-01
contains out.txt "EndDate = 2008-12-31T06:00:00 (was 2005-01-01)"
contains out.txt "Qi = 1000 (unchanged)"
# Names ignore case.
expect_status 0 "$QRVP" call getlintimvol 2021-01-01 2022-01-01T06:00:00 100 100
contains out.txt "Vol = 1200"
# The calls outside the library's argument table: a formula, a setting.
expect_status 0 "$QRVP" call EvaluateV2Formula "9.5*2/(1.9*5)"
contains out.txt "value = 2"
printf 'REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Ostrel Labs\\Quarvex\\Valcore]\n"MaxConnections"=dword:0000000c\n' > s.reg
QRVPFUNCS_REGISTRY="$WORK/s.reg" expect_status 0 "$QRVP" call GetRegistryValueInt 'Quarvex\Valcore' MaxConnections
contains out.txt "value = 12"

# The list names every function with its arguments.
expect_status 0 "$QRVP" call --list
contains out.txt "GetArpsQt FindDate:date StartDate:date Qi Di b Dmin  -> Qt"
[ "$(grep -c '^  [A-Z]' out.txt)" -ge 50 ] || fail "fewer than 50 functions listed"

# Usage errors.
expect_status 2 "$QRVP" call GetArpsQt 2021-01-01
contains err.txt "GetArpsQt takes 6 arguments, 1 given"
expect_status 2 "$QRVP" call GetArpsQt 2021-01-01 2020-01-01 1x 0.5 0 0
contains err.txt "argument 3 (Qi): '1x' is not a number"
expect_status 2 "$QRVP" call GetArpsQt 2021-13 2020-01-01 1 0.5 0 0
contains err.txt "argument 1 (FindDate): '2021-13' is not a date"
expect_status 2 "$QRVP" call ArpsQ
contains err.txt "did you mean: GetArpsQt GetArpsQi"
echo "call: ok"
