// The argument boundaries of every calculation, a call per row (see
// library_calls.h for the tokens and the expectations).  Zero is an absolute
// value below 1e-11: 5e-12 is zero, 2e-11 is not.  5e-324 is the smallest
// positive double.
#ifndef QRVP_TESTS_LIBRARY_ROWS_H
#define QRVP_TESTS_LIBRARY_ROWS_H

#include "tests/support/library_calls.h"

namespace qrvp::test {

inline const Row kArgumentRows[] = {
    {"IsZero 9.9e-12 1e-11", "=1"}, {"IsZero -9.9e-12 1e-11", "=1"}, {"IsZero 1e-11 1e-11", "=0"},
    {"IsZero -1e-11 1e-11", "=0"}, {"IsZero nan 1", "=0"}, {"IsZero 0 -1", "=0"},
    {"IsEqual 1 1.4 0.5", "=1"}, {"IsEqual 1.4 1 0.5", "=1"}, {"IsEqual 1 1.5 0.5", "=0"},
    {"IsEqual 1.5 1 0.5", "=0"}, {"IsEqual 1 1 0", "=0"},
    {"GetReportThreading _", ""},
    // Conversions
    {"NomToTanEff 0.5 _", ""}, {"NomToTanEff -0.5 _", ""},
    {"TanEffToNom 0.999999 _", ""}, {"TanEffToNom 1 _", "=-1"}, {"TanEffToNom -3 _", ""},
    {"NomToSecEff 0.5 2e-11 _", ""}, {"NomToSecEff 0.5 -2e-11 _", ""}, {"NomToSecEff 0.5 5e-12 _", "bFactor cannot be 0"},
    {"NomToSecEff 0.5 -5e-12 _", "bFactor cannot be 0"},
    {"SecEffToNom 1 0.5 _", ""}, {"SecEffToNom 1.0000000000000002 0.5 _", "@NomToSecEff Decline must be less than 1.0 and bFactor cannot be 0"}, {"SecEffToNom -2 0.5 _", ""},
    {"SecEffToNom 0.5 5e-12 _", "@NomToSecEff Decline must be less than 1.0 and bFactor cannot be 0"}, {"SecEffToNom 0.5 -2e-11 _", ""}, {"SecEffToNom 0.5 -5e-12 _", "@NomToSecEff Decline must be less than 1.0 and bFactor cannot be 0"},
    // Arps rate: FindDate, StartDate, Qi, Di, b, Dmin
    {"GetArpsQt 2021-01-01 2020-01-01 100 0.5 0.5 0.1 _", ""},
    {"GetArpsQt 2020-01-01 2020-01-01 100 0.5 0.5 0.1 _", ""},
    {"GetArpsQt 2019-12-31T23:59:59 2020-01-01 100 0.5 0.5 0.1 _", "FindDate (12/31/2019) is less than StartDate (1/1/2020)"},
    {"GetArpsQt 2020-12-31T06:00:00 2020-01-01 100 -1 1 0 _", "Di (-1.000000) * bFactor (1.000000) * time (1.000000 years) must be > -1."},
    {"GetArpsQt 2020-12-31T06:00:00 2020-01-01 100 -0.999 1 0 _", ""},
    {"GetArpsQt 2020-12-31T06:00:00 2020-01-01 100 -1000 0 0 _", ""},
    {"GetArpsQt 2020-12-31T06:00:00 2020-01-01 100 -1000.001 0 0 _", "=-1"},
    {"GetArpsIDecl 50 0.5 100 0.5 _", ""}, {"GetArpsIDecl 5e-324 0.5 100 0.5 _", ""},
    {"GetArpsIDecl 0 0.5 100 0.5 _", "Invalid Qi or Qt, Qi = 100.000000, Qt = 0.000000"}, {"GetArpsIDecl 50 0.5 5e-324 0.5 _", ""},
    {"GetArpsIDecl 50 0.5 0 0.5 _", "Invalid Qi or Qt, Qi = 0.000000, Qt = 50.000000"},
    // What a refusal leaves: Di when b is zero, 0 when Di is zero or the rates equal, else nothing.
    {"GetArpsIDecl 50 0.5 0 0 _", "=-1 -> 0.5"}, {"GetArpsIDecl 50 0 0 0.5 _", "=-1 -> 0"}, {"GetArpsIDecl -1 0.5 -1 0.5 _", "=-1 -> 0"},
    {"GetArpsIDecl 0 0.5 -1 0.5 _", "=-1 -> untouched"},         // StartDate, Di, Dmin, Qi, b
    {"GetArpsDminDate 2000-01-01 0.5 0.1 100 0.5 _", ""}, {"GetArpsDminDate 1800-01-01 0.5 0.1 100 0.5 _", ""},
    {"GetArpsDminDate 1799-12-31 0.5 0.1 100 0.5 _", "Invalid start date (12/31/1799)"},
    {"GetArpsDminDate 2000-01-01 5e-12 0.1 100 0.5 _", "Cannot solve for Dmin date with zero decline rate."},
    {"GetArpsDminDate 2000-01-01 0.5 5e-12 100 0.5 _", "Cannot solve for Dmin date with zero Dmin rate."},
    {"GetArpsDminDate 2000-01-01 0.5 0.1 100 5e-12 _", "Cannot solve for Dmin date with zero bFactor."},
    {"GetArpsDminDate 2000-01-01 0.5 0.5 100 0.5 _", "Invalid Dmin for given decline."},
    {"GetArpsDminDate 2000-01-01 0.5 0.4999 100 0.5 _", ""},
    {"GetArpsDminDate 2000-01-01 0.5 -0.1 100 0.5 _", "Invalid Dmin for given decline."},
    {"GetArpsDminDate 2000-01-01 -0.5 -0.5 100 -0.5 _", "Invalid Dmin for given decline."},
    {"GetArpsDminDate 2000-01-01 -0.5 -0.6 100 -0.5 _", "Invalid Dmin for given decline."},
    {"GetArpsDminDate 2000-01-01 -0.5 0.1 100 -0.5 _", "Invalid Dmin for given decline."},
    {"GetArpsDminDate 2000-01-01 -0.5 -0.4 100 -0.5 _", ""},
    {"GetArpsDminDate 2000-01-01 0.5 0.1 0 0.5 _", "Qf cannot be zero."},
    // Arps solvers: StartDate, EndDate, Qi, Qt, b, Dmin
    {"GetArpsDi 2020-01-01 2021-01-01 100 50 0.5 0 _", ""},
    {"GetArpsDi 1800-01-01 1801-01-01 100 50 0.5 0 _", ""},
    {"GetArpsDi 1799-12-31 2021-01-01 100 50 0.5 0 _", "Invalid parameters: Qi (100.000000), Qt (50.000000), StartDate (12/31/1799), EndDate (1/1/2021)"},
    {"GetArpsDi 2020-01-01 1799-12-31 100 50 0.5 0 _", "Invalid parameters: Qi (100.000000), Qt (50.000000), StartDate (1/1/2020), EndDate (12/31/1799)"},
    {"GetArpsDi 2020-01-01 2019-12-31T23:59:59 100 50 0.5 0 _", "Invalid parameters: Qi (100.000000), Qt (50.000000), StartDate (1/1/2020), EndDate (12/31/2019)"},
    {"GetArpsDi 2020-01-01 2021-01-01 5e-12 50 0.5 0 _", "Invalid parameters: Qi (0.000000), Qt (50.000000), StartDate (1/1/2020), EndDate (1/1/2021)"},
    {"GetArpsDi 2020-01-01 2021-01-01 100 5e-12 0.5 0 _", "Invalid parameters: Qi (100.000000), Qt (0.000000), StartDate (1/1/2020), EndDate (1/1/2021)"},
    {"GetArpsDi 2020-01-01 2021-01-01 100 2e-11 0.5 0 _", ""},
    {"GetArpsDi 2020-01-01 2021-01-01 -100 50 0.5 0 _", ""},
    {"GetArpsDi 2000-01-01 2016-01-01 1000 50 1 nan _", "Reached iteration limit (100)"},
    // StartDate, EndDate, Qf, b, Di, Dmin
    {"GetArpsQi 2020-01-01 2021-01-01 50 0.5 0.5 0 _", ""}, {"GetArpsQi 2020-01-01 2021-01-01 5e-324 0.5 0.5 0 _", ""},
    {"GetArpsQi 2020-01-01 2021-01-01 0 0.5 0.5 0 _", "Invalid Qf"}, {"GetArpsQi 2020-01-01 2021-01-01 -1 0.5 5e-12 0 _", ""},
    {"GetArpsQi 0-01-01 2021-01-01 50 0.5 0.5 0 _", "Invalid start date (1/1/0) and/or end date (1/1/2021)."}, {"GetArpsQi 1-01-01 2021-01-01 50 0.5 0.5 0 _", ""},
    {"GetArpsQi 2020-01-01 2019-12-31T23:59:59 50 0.5 0.5 0 _", "Invalid start date (1/1/2020) and/or end date (12/31/2019)."},
    {"GetArpsQi 2020-01-01 2020-01-01 50 0.5 0.5 0 _", ""},
    // Qi, Qf, b, Di, Dmin
    {"GetArpsYears 1000 100 0.5 1 0.1 _", ""}, {"GetArpsYears 5e-12 100 0.5 1 0.1 _", "Qi, Qf, and Di must all be nonzero."},
    {"GetArpsYears 1000 5e-12 0.5 1 0.1 _", "Qi, Qf, and Di must all be nonzero."}, {"GetArpsYears 1000 100 0.5 5e-12 0.1 _", "Qi, Qf, and Di must all be nonzero."},
    // The switch in the first second of 2600, counted from 2000: outside the window, Years left as it was.
    {"GetArpsYears 1000 100 0.5 2e-11 0 _", ""}, {"GetArpsYears 1000 1 1 1 0.001663923830739294 _", "-> untouched"},
    // NewStartDate, StartDate, Qi, Di, b
    {"GetConstantArpsQi 2019-01-01 2020-01-01 100 0.5 0.5 _ _", ""},
    {"GetConstantArpsQi 2020-01-01 2020-01-01 100 0.5 0.5 _ _", "New start date (1/1/2020) greater than or equal to original start date (1/1/2020)"},
    {"GetConstantArpsQi 2019-12-31T23:59:59 2020-01-01 100 0.5 0.5 _ _", ""},
    {"GetConstantArpsQi 2019-01-01 2020-01-01 100 0.5 5e-12 _ _", "Calculated time too small"},
    {"GetConstantArpsQi 2019-01-01 2020-01-01 100 -0.5 0.5 _ _", "Calculated time too small"},
    {"GetConstantArpsQi 1900-01-01 2020-01-01 100 0.5 0.5 _ _", "Calculated time too small"}, {"GetConstantArpsQi 2016-02-01 2020-01-01 100 0.5 0.5 _ _", ""},
    {"GetConstantArpsQi 2016-01-01 2020-01-01 100 0.5 0.5 _ _", "Calculated time too small"},
    // *Di, RefDate, EndDate, Qref, Qend, Dref, b, Dmin
    {"GetConstantArpsQinit 0.4 2020-01-01 2025-01-01 100 20 0.5 0.5 0 _ _", ""},
    {"GetConstantArpsQinit 0 2020-01-01 2025-01-01 100 20 0.5 0.5 0 _ _", "=-1"},
    {"GetConstantArpsQinit -1 2010-01-01 2012-01-01 100 50 0.5 0.7 0 _ _", "=-1"},
    {"GetConstantArpsQinit 0.4 2020-01-01 2025-01-01 100 20 0.5 0 0 _ _", "=-1"},
    {"GetConstantArpsQinit 0.4 2020-01-01 2025-01-01 0 20 0.5 0.5 0 _ _", "=-1"},
    {"GetConstantArpsQinit 0.6 1800-06-01 2025-01-01 100 20 0.5 0.5 0 _ _", "=-1"},
    {"GetConstantArpsQinit 0.4 2020-01-01 2019-01-01 100 20 0.5 0.5 0 _ _", "@GetArpsDi Invalid parameters: Qi (63.947465), Qt (20.000000), StartDate (1/1/2021), EndDate (1/1/2019)"},
    // Bending: Qi, StartDate, BendQ, BendDate, Qf, EndDate, Dmin
    {"BendArpsSegment 1000 2000-01-01 250 2005-01-01 100 2010-01-01 0 _", ""},
    {"BendArpsSegment 1000 2000-01-01 250 2000-01-01 100 2010-01-01 0 _", "The bend point (1/1/2000) is less than the start date (1/1/2000) or greater than the end date (1/1/2010)"},
    {"BendArpsSegment 1000 2000-01-01 250 2010-01-01 100 2010-01-01 0 _", "The bend point (1/1/2010) is less than the start date (1/1/2000) or greater than the end date (1/1/2010)"},
    {"BendArpsSegment 1000 2000-01-01 1000.0001 2005-01-01 100 2010-01-01 0 _", "The bend point (1000.000100) is greater than the Qi (1000.000000) or less than the Qf (100.000000)"},
    {"BendArpsSegment 1000 2000-01-01 99.9999 2005-01-01 100 2010-01-01 0 _", "The bend point (99.999900) is greater than the Qi (1000.000000) or less than the Qf (100.000000)"},
    {"BendArpsSegment 100 2000-01-01 99.9999 2005-01-01 1000 2010-01-01 0 _", "The bend point (99.999900) is less than the Qi (100.000000) or greater than the Qf (1000.000000)"},
    {"BendArpsSegment 100 2000-01-01 1000.0001 2005-01-01 1000 2010-01-01 0 _", "The bend point (1000.000100) is less than the Qi (100.000000) or greater than the Qf (1000.000000)"},
    {"BendArpsSegment 1000 2000-01-01 999 2009-12-01 100 2010-01-01 0 _", "@CurveFit::PointFit New bFactor (-8.998901) is out of range (+/- 9.000000)"},
    {"BendArpsSegment 1000 2000-01-01 1000 2005-01-01 100 2010-01-01 0 _", "@CurveFit::PointFit New bFactor (-8.998901) is out of range (+/- 9.000000)"},
    {"BendArpsSegment 1000 2000-01-01 100 2005-01-01 100 2010-01-01 0 _", "@CurveFit::PointFit New bFactor (8.998901) is out of range (+/- 9.000000)"},
    {"BendArpsSegment 100 2000-01-01 100 2005-01-01 400 2010-01-01 0 _", "@CurveFit::PointFit New bFactor (8.998901) is out of range (+/- 9.000000)"},
    {"BendArpsSegment 100 2000-01-01 400 2005-01-01 400 2010-01-01 0 _", "@CurveFit::PointFit New bFactor (-8.998901) is out of range (+/- 9.000000)"},
    // Validation: StartDate, Qi, Di, b, Dmin, Qf, EndDate (in and out)
    {"ValidateArps 2000-01-01 1000 1 1 0 100 2005-01-01", ""},
    {"ValidateArps 2000-01-01 -1 1 1 0 0 2005-01-01", "=-1"},
    {"ValidateArps 2000-01-01 1000 1 1 0 -1 2005-01-01", "=-1"},
    {"ValidateArps 2000-01-01 -1 1 1 0 -2 2005-01-01", "=-1"},
    {"ValidateArps 2000-01-01 0 1 1 0 0 2005-01-01", ""},
    {"ValidateArps 2000-01-01 0 0 0.001 0 5 2001-01-01", "-> 0 0 0 0 5 ~"}, {"ValidateArps 2000-01-01 1000 0 1 0 100 2009-01-01", "-> 1000 0.99977189781021891 1 0 100 2009-01-01T00:00:00"},
    {"ValidateArps 2000-01-01 1000 0 1 0.1 50 2016-01-01", "-> 1000 0.99241146098356703 1 0.1 50 2016-01-01T00:00:00"}, {"ValidateArps 2000-01-01 100 0 0 0 0 2010-01-01", "-> 100 0.69068097882513702 0 0 0.1 ~"},
    {"ValidateArps 2000-01-01 1000 1 1 0 100 2012-01-01", "-> 1000 1 1 0 76.923076923076934 2012-01-01T00:00:00"}, {"ValidateArps 2000-01-01 1000 1 1 0 100 2008-06-01", "-> 1000 1 1 0 100 2008-12-31T06:00:00"},
    {"ValidateArps 2000-01-01 1000 0.01 0 0 0.001 2001-01-01", "-> 1000 0.01 0 0 990.02950439251435 2001-01-01T00:00:00"}, {"ValidateArps 2000-01-01 1000 1 1 0.001 1e-6 2050-01-01", "-> 1000 1 1 0.001 19.607316844040639 2050-01-01T00:00:00"},
    {"ValidateArps 2060-01-01 1000 1 1 0.001 1e-6 2050-01-01", "=-1 -> 1000 1 1 0.001 1e-6 2050-01-01T00:00:00"},
    // Volumes: StartDate, EndDate, Qi, Qf, Di, b, Dmin
    {"GetArpsVol 2020-01-01 2021-01-01 100 50 0.5 0.5 0 _", ""},
    {"GetArpsVol 2020-01-01 2021-01-01 5e-12 50 0.5 0.5 0 _", "@HypVolQf Qi, Qf, and Di must all be nonzero."},
    {"GetArpsVol 2020-01-01 2021-01-01 100 5e-12 0.5 0.5 0 _", "@HypVolQf Qi, Qf, and Di must all be nonzero."},
    {"GetArpsVol 2020-01-01 2021-01-01 100 50 5e-12 0.5 0 _", ""},
    {"GetArpsVol 2020-01-01 2021-01-01 100 100 0.5 0.5 0 _", ""},
    // StartDate, EndDate, Qi, Di, b, Dmin
    {"GetArpsVol2 2020-01-01 2021-01-01 100 0.5 0.5 0.1 _", ""},
    {"GetArpsVol2 2020-01-01 2021-01-01 5e-12 0.5 0.5 0 _", "@GetArpsYears Qi and Di must be nonzero."},
    {"GetArpsVol2 2020-01-01 2060-01-01 5e-12 0.5 0.5 0.1 _", "@GetArpsDminDate Qf cannot be zero."},
    // StartDate, EndDate, Qi, b, Vol, Dmin
    {"GetArpsQfDiVol 2020-01-01 2021-01-01 100 0.5 1000 0 _ _", ""},
    // Qi, Vol, b, Di, Dmin
    {"GetArpsYearsVol 100 500 0.5 0.5 0 _", ""}, {"GetArpsYearsVol 5e-324 500 0.5 0.5 0 _", ""},
    {"GetArpsYearsVol 0 500 0.5 0.5 0 _", "@GetArpsRemTime Qi cannot be less than or equal to zero."}, {"GetArpsYearsVol -1 500 0.5 0.5 0 _", "@GetArpsRemTime Qi cannot be less than or equal to zero."},
    // Qi, Di, b, Vol, Dmin
    // 4200 is the whole curve's volume: Qf comes out exactly 0, which is allowed.
    {"GetArpsQfVol 100 0.5 0.5 500 0 _", ""}, {"GetArpsQfVol 100 5e-12 0.5 500 0 _", "=-1"}, {"GetArpsQfVol 100 0.5 0.5 4200 0.125 _", "-> 0"},
    {"GetArpsQfVol 100 0.5 0.5 500 0.1 _", ""}, {"GetArpsQfVol 100 0.5 0.5 1e9 0.1 _", "Solved Qf cannot be less than zero."},
    // Linear with time: FindDate, StartDate, Qi, Di
    {"GetLinTimQt 2021-01-01 2020-01-01 100 10 _", ""}, {"GetLinTimQt 2020-01-01 2020-01-01 100 10 _", ""},
    {"GetLinTimQt 2019-12-31T23:59:59 2020-01-01 100 10 _", "FindDate (12/31/2019) is earlier than StartDate (1/1/2020)"},
    {"GetLinTimQt 2021-01-01 1799-01-01 100 10 _", ""},
    // EndDate, StartDate, Qf, Di
    {"GetLinTimQi 2021-01-01 2020-01-01 90 10 _", ""}, {"GetLinTimQi 2021-01-01 2020-01-01 5e-324 10 _", ""},
    {"GetLinTimQi 2021-01-01 2020-01-01 0 10 _", "Invalid Qf (0.000000)"},     {"GetLinTimQi 1801-01-01 1800-01-01 90 10 _", ""},     {"GetLinTimQi 2021-01-01 1799-12-31 90 10 _", "Invalid EndDate (1/12021) or StartDate(12/31/1799)"}, {"GetLinTimQi 1799-12-31 2020-01-01 90 10 _", "Invalid EndDate (12/311799) or StartDate(1/1/2020)"},
    {"GetLinTimQi 2019-12-31T23:59:59 2020-01-01 90 10 _", "EndDate (12/312019) is earlier than StartDate(1/1/2020)"},
    {"GetLinTimQi 2020-01-01 2020-01-01 90 10 _", ""},
    // EndDate, StartDate, Qi, Qf
    {"GetLinTimDi 2021-01-01 2020-01-01 100 90 _", ""}, {"GetLinTimDi 2021-01-01 2020-01-01 100 5e-324 _", ""},
    {"GetLinTimDi 2021-01-01 2020-01-01 0 90 _", "Invalid Qi (0.000000) or Qf (90.000000)"}, {"GetLinTimDi 2021-01-01 2020-01-01 100 0 _", "Invalid Qi (100.000000) or Qf (0.000000)"},
    {"GetLinTimDi 2021-01-01 2020-01-01 5e-324 90 _", ""}, {"GetLinTimDi 1799-01-01 1799-06-01 -1 -1 _", ""},
    {"GetLinTimDi 1801-01-01 1800-01-01 100 90 _", ""}, {"GetLinTimDi 2021-01-01 1799-12-31 100 90 _", "Invalid start date (12/31/1799) or end date (1/1/2021)"},
    {"GetLinTimDi 1799-12-31 2020-01-01 100 90 _", "Invalid start date (1/1/2020) or end date (12/31/1799)"},
    {"GetLinTimDi 2019-12-31T23:59:59 2020-01-01 100 90 _", "End date (12/31/2019) is earlier than start date (1/1/2020)"},
    {"GetLinTimDi 2020-01-01 2020-01-01 100 90 _", "No time between start date (1/1/2020) and end date (1/1/2020)"},
    {"GetLinTimDi 2021-03-03 2021-02-31 20 10 _", "No time between start date (2/31/2021) and end date (3/3/2021)"},
    {"GetLinTimDi 2020-01-01T00:00:01 2020-01-01 100 90 _", ""},
    // Qi, Qf, Di
    {"GetLinTimYears 100 90 10 _", ""}, {"GetLinTimYears 100 90 5e-12 _", "Cannot solve for time with zero decline or Qi (100.000000) equal to Qf (90.000000)."}, {"GetLinTimYears 100 90 2e-11 _", ""},
    {"GetLinTimYears 100 90 -5e-12 _", "Cannot solve for time with zero decline or Qi (100.000000) equal to Qf (90.000000)."}, {"GetLinTimYears 90 90 10 _", "Cannot solve for time with zero decline or Qi (90.000000) equal to Qf (90.000000)."}, {"GetLinTimYears 0 90 10 _", ""},
    {"GetLinTimYears -1e-300 90 10 _", "Invalid Qi (-0.000000) or Qf (90.000000)."}, {"GetLinTimYears 100 -1e-300 10 _", "Invalid Qi (100.000000) or Qf (-0.000000)."}, {"GetLinTimYears 100 0 10 _", ""},
    // StartDate, EndDate, Qi, Qf
    {"GetLinTimVol 2020-01-01 2021-01-01 100 90 _", ""}, {"GetLinTimVol 1800-01-01 1801-01-01 100 90 _", ""},
    {"GetLinTimVol 1799-12-31 2021-01-01 100 90 _", "Invalid start date (12/31/1799) or end date (1/1/2021)"}, {"GetLinTimVol 2020-01-01 1799-12-31 100 90 _", "Invalid start date (1/1/2020) or end date (12/31/1799)"},
    {"GetLinTimVol 2020-01-01 2019-12-31T23:59:59 100 90 _", "End date (12/31/2019) is earlier than start date (1/1/2020)"},
    {"GetLinTimVol 2020-01-01 2020-01-01 100 90 _", ""},
    {"GetLinTimVol 2020-01-01 2021-01-01 5e-324 90 _", ""}, {"GetLinTimVol 2020-01-01 2021-01-01 0 90 _", "Invalid Qi (0.000000) or Qf (90.000000)"},
    {"GetLinTimVol 2020-01-01 2021-01-01 100 0 _", "Invalid Qi (100.000000) or Qf (0.000000)"}, {"GetLinTimVol 2020-01-01 2021-01-01 100 5e-324 _", ""},
    // Qi, Vol, Decl
    {"GetLinTimYearsVol 100 1140 -120 _", ""}, {"GetLinTimYearsVol 0 1140 120 _", ""},
    {"GetLinTimYearsVol -1e-300 1140 -120 _", "Invalid Qi (-1023872167) or Vol (0)"}, {"GetLinTimYearsVol 100 0 -120 _", "Invalid Qi (0) or Vol (0)"},
    {"GetLinTimYearsVol -0.1 100 -12 _", "Invalid Qi (-1717986918) or Vol (0)"},
    {"GetLinTimYearsVol 100 5e-324 -120 _", ""}, {"GetLinTimYearsVol 100 6000 -120 _", ""},
    {"GetLinTimYearsVol 100 6000.001 -120 _", "Invalid Vol (6000.001000) for given decline (-120.000000)"}, {"GetLinTimYearsVol 100 1200 5e-12 _", ""},
    {"GetLinTimYearsVol 0 1200 5e-12 _", "Invalid Vol (1200.000000) for given decline (0.000000)"},
    // StartDate, Qi, Di, Qf, EndDate (in and out)
    {"ValidateLinTime 2021-01-01 100 10 90 1799-12-31", "-> 100 10 90 2022-01-01T06:00:00"}, {"ValidateLinTime 2021-01-01 90 10 100 1799-12-31", "-> 90 10 100 2020-01-01T18:00:00"},
    {"ValidateLinTime 2021-01-01 100 10 -5 2023-01-01T12:00:00", "-> 100 10 80 2023-01-01T12:00:00"}, {"ValidateLinTime 2021-01-01 100 60 -5 2023-01-01T12:00:00", "-> 100 60 1e-6 2022-09-01T17:59:59"},
    {"ValidateLinTime 2021-01-01 5e-12 3 -5e-12 2020-01-01", "-> 0 0 0 2020-01-01T00:00:00"}, {"ValidateLinTime 2021-01-01 50 0 20 2020-01-01", "-> 50 0 50 2020-01-01T00:00:00"},
    {"ValidateLinTime 2021-01-01 100 nan -5 2023-01-01T12:00:00", "=-1 -> 100 nan 1e-6 2023-01-01T12:00:00"},
    {"ValidateLinTime 2020-01-01 100 10 90 2020-06-01", ""}, {"ValidateLinTime 2020-01-01 0 10 0 2020-06-01", ""},
    {"ValidateLinTime 2020-01-01 -1e-300 10 90 2020-06-01", "=-1"},
    {"ValidateLinTime 2020-01-01 100 10 -1 1799-12-31", "=-1 @GetLinTimYears Invalid Qi (100.000000) or Qf (-1.000000)."},
    {"ValidateLinTime 2020-01-01 100 10 -1 2020-01-01", "=-1 @GetLinTimYears Invalid Qi (100.000000) or Qf (-1.000000)."},
    {"ValidateLinTime 2020-01-01 100 10 -1 2021-12-31T12:00:00", "=0 @GetLinTimYears Invalid Qi (100.000000) or Qf (-1.000000)."},
    // Linear against cumulative: Qi, Qf, BegCum, EndCum
    {"GetLinCumDecl 100 50 0 1000 _", ""}, {"GetLinCumDecl 5e-324 50 0 1000 _", ""},
    {"GetLinCumDecl 0 50 0 1000 _", "Invalid Qi (0.000000) or Qf (50.000000)"}, {"GetLinCumDecl 100 0 0 1000 _", "Invalid Qi (100.000000) or Qf (0.000000)"},
    {"GetLinCumDecl 100 5e-324 0 1000 _", ""}, {"GetLinCumDecl 100 100 -1 -1 _", ""},
    {"GetLinCumDecl 100 50 -1e-300 1000 _", "Invalid BegCum (-0.000000) or EndCum (1000.000000)"},     {"GetLinCumDecl 100 50 10 5e-324 _", ""}, {"GetLinCumDecl 100 50 10 0 _", "Invalid BegCum (10.000000) or EndCum (0.000000)"}, {"GetLinCumDecl 100 50 10 10 _", "Invalid BegCum (10.000000) or EndCum (10.000000)"},
    // BegCum, EndCum, Qf, decl
    {"GetLinCumQi 0 1000 50 -0.05 _", ""}, {"GetLinCumQi 0 1000 5e-12 -0.05 _", "-> 0"},
    {"GetLinCumQi 0 1000 -2e-11 -0.05 _", "Invalid  Qf (-0.000000)"}, {"GetLinCumQi -1e-300 1000 50 -0.05 _", "Invalid BegCum (-0.000000) or EndCum (1000.000000)"},
    {"GetLinCumQi 10 5e-324 50 -0.05 _", ""}, {"GetLinCumQi 10 0 50 -0.05 _", "Invalid BegCum (10.000000) or EndCum (0.000000)"},
    {"GetLinCumQi 10 10 50 -0.05 _", "Invalid BegCum (10.000000) or EndCum (10.000000)"},
    // Qi, BegCum, EndCum, decl
    {"GetLinCumQf 100 0 1000 -0.05 _", ""}, {"GetLinCumQf 5e-12 0 1000 -0.05 _", "-> 0"},
    {"GetLinCumQf -2e-11 0 1000 -0.05 _", "Invalid  Qi (-0.000000)"}, {"GetLinCumQf 100 -1e-300 1000 -0.05 _", "Invalid BegCum (-0.000000) or EndCum (1000.000000)"},
    {"GetLinCumQf 100 10 0 -0.05 _", "Invalid BegCum (10.000000) or EndCum (0.000000)"}, {"GetLinCumQf 100 10 10 -0.05 _", "Invalid BegCum (10.000000) or EndCum (10.000000)"},
    // Qi, Qf, BegCum, decl
    {"GetLinCumEndCum 100 50 0 -0.05 _", ""}, {"GetLinCumEndCum 0 50 0 -0.05 _", "Invalid Qi (0.000000) or Qf (50.000000)"},
    {"GetLinCumEndCum 100 0 0 -0.05 _", "Invalid Qi (100.000000) or Qf (0.000000)"}, {"GetLinCumEndCum 100 5e-324 0 -0.05 _", ""},
    {"GetLinCumEndCum 100 50 -1e-300 -0.05 _", "Invalid BegCum (-0.000000)"}, {"GetLinCumEndCum 100 50 0 5e-12 _", "Invalid decl (0.000000)"},
    {"GetLinCumEndCum 100 50 0 -2e-11 _", ""},
    // Qi, Qf, decl, EndCum
    {"GetLinCumBegCum 100 50 -0.05 1000 _", ""}, {"GetLinCumBegCum 0 50 -0.05 1000 _", "Invalid Qi (0.000000) or Qf (50.000000)"},
    {"GetLinCumBegCum 100 0 -0.05 1000 _", "Invalid Qi (100.000000) or Qf (0.000000)"}, {"GetLinCumBegCum 100 50 -0.05 0 _", "Invalid EndCum (0.000000)"},
    {"GetLinCumBegCum 100 50 -0.05 5e-324 _", ""}, {"GetLinCumBegCum 100 50 -5e-12 1000 _", "Invalid decl (-0.000000)"},
    // Qi, Qf, FindCum, BegCum, EndCum
    {"GetLinCumVCum 100 50 500 0 1000 _", ""}, {"GetLinCumVCum 0 50 500 0 1000 _", ""},
    {"GetLinCumVCum -1e-300 50 500 0 1000 _", "Invalid Qi (-0.000000) or Qf (50.000000)"}, {"GetLinCumVCum 100 -1e-300 500 0 1000 _", "Invalid Qi (100.000000) or Qf (-0.000000)"},
    {"GetLinCumVCum 100 50 -500 0 1000 _", ""}, {"GetLinCumVCum 100 50 500 -1e-300 1000 _", "Invalid BegCum (-0.000000) or EndCum (1000.000000)"},
    {"GetLinCumVCum 100 50 500 1000 1000 _", "EndCum (1000.000000) is greater than BegCum (1000.000000)"},
        // Qi, Qf, cum1, cum2, Cumi, Cumf
    {"GetLinCum 100 50 100 200 0 1000 _", ""}, {"GetLinCum 0 50 100 200 0 1000 _", ""},
    {"GetLinCum -1e-300 50 100 200 0 1000 _", "@GetLinCumIntVal Invalid Qi (-0.000000) or Qf (50.000000)"}, {"GetLinCum 100 -1e-300 100 200 0 1000 _", "@GetLinCumIntVal Invalid Qi (100.000000) or Qf (-0.000000)"},
    {"GetLinCum 100 50 -1e-300 200 0 1000 _", "@GetLinCumIntVal Invalid FindCum (-0.000000) or Cumi (0.000000)"}, {"GetLinCum 100 50 100 -1e-300 0 1000 _", "@GetLinCumIntVal Invalid FindCum (-0.000000) or Cumi (0.000000)"},
    {"GetLinCum 100 50 100 200 -1e-300 1000 _", "@GetLinCumIntVal Invalid FindCum (100.000000) or Cumi (-0.000000)"}, {"GetLinCum 100 50 100 200 1000 999.999 _", "@GetLinCumIntVal Cumf (999.999000) is less than Cumi (1000.000000)"},
    {"GetLinCum 100 50 100 200 1000 1000 _", ""}, {"GetLinCum 100 50 200 100 0 1000 _", ""}, {"GetLinCum 100 50 300 300 0 1000 _", "-> 100"},
    // Qi, Qf, decl, BegCum, EndCum (in and out)
    {"ValidateLinCum 100 50 0 0 1000", ""}, {"ValidateLinCum 0 0 1 0 1000", ""},
    {"ValidateLinCum 100 50 0 -1e-300 1000", "=-1"}, {"ValidateLinCum -1e-300 50 0 0 1000", "=-1"},
    {"ValidateLinCum 100 -1e-300 0 0 1000", "=-1"}, {"ValidateLinCum 100 50 0 0 0", ""},
    {"ValidateLinCum 100 50 0 10 10", "=-1"}, {"ValidateLinCum 100 50 0 10 5", "=-1"},
    // Logarithmic against cumulative: Qi, Qf, BegCum, EndCum
    {"GetLogCumDecl 100 50 0 1000 _", ""}, {"GetLogCumDecl 5e-324 50 0 1000 _", ""},
    {"GetLogCumDecl 0 50 0 1000 _", "Invalid Qi (0.000000) or Qf (50.000000)"}, {"GetLogCumDecl 100 0 0 1000 _", "Invalid Qi (100.000000) or Qf (0.000000)"},
    {"GetLogCumDecl 100 50 -1e-300 1000 _", "Invalid BegCum (-0.000000) or EndCum (1000.000000)"},     {"GetLogCumDecl 100 50 10 5e-324 _", ""}, {"GetLogCumDecl 100 50 10 0 _", "Invalid BegCum (10.000000) or EndCum (0.000000)"}, {"GetLogCumDecl 100 100 10 10 _", ""},
    {"GetLogCumDecl 100 50 10 10 _", "Invalid BegCum (10.000000) or EndCum (10.000000)"},
    // BegCum, EndCum, Qf, decl
    {"GetLogCumQi 0 1000 50 -0.0003 _", ""}, {"GetLogCumQi 0 1000 5e-12 -0.0003 _", "-> 0"},
    {"GetLogCumQi 0 1000 -2e-11 -0.0003 _", "Invalid  Qf (-0.000000)"}, {"GetLogCumQi -1e-300 1000 50 -0.0003 _", "Invalid BegCum (-0.000000) or EndCum (1000.000000)"},
    {"GetLogCumQi 10 0 50 -0.0003 _", "Invalid BegCum (10.000000) or EndCum (0.000000)"}, {"GetLogCumQi 10 10 50 -0.0003 _", "Invalid BegCum (10.000000) or EndCum (10.000000)"},
    // Qi, BegCum, EndCum, decl
    {"GetLogCumQf 100 0 1000 -0.0003 _", ""}, {"GetLogCumQf 5e-12 0 1000 -0.0003 _", "-> 0"},
    {"GetLogCumQf -2e-11 0 1000 -0.0003 _", "Invalid  Qi (-0.000000)"}, {"GetLogCumQf 100 -1e-300 1000 -0.0003 _", "Invalid BegCum (-0.000000) or EndCum (1000.000000)"},
    {"GetLogCumQf 100 10 0 -0.0003 _", "Invalid BegCum (10.000000) or EndCum (0.000000)"}, {"GetLogCumQf 100 10 10 5e-12 _", ""},
    {"GetLogCumQf 100 10 10 -0.0003 _", "Invalid BegCum (10.000000) or EndCum (10.000000)"},
    // Qi, Qf, BegCum, decl
    {"GetLogCumEndCum 100 50 0 -0.0003 _", ""}, {"GetLogCumEndCum 0 50 0 -0.0003 _", "Invalid Qi (0.000000) or Qf (50.000000)"},
    {"GetLogCumEndCum 100 0 0 -0.0003 _", "Invalid Qi (100.000000) or Qf (0.000000)"}, {"GetLogCumEndCum 100 50 -1e-300 -0.0003 _", "Invalid BegCum (-0.000000)"},
    {"GetLogCumEndCum 100 50 0 5e-12 _", "Invalid decl (0.000000)"},
    // Qi, Qf, decl, EndCum
    {"GetLogCumBegCum 100 50 -0.0003 1000 _", ""}, {"GetLogCumBegCum 0 50 -0.0003 1000 _", "Invalid Qi (0.000000) or Qf (50.000000)"},
    {"GetLogCumBegCum 100 0 -0.0003 1000 _", "Invalid Qi (100.000000) or Qf (0.000000)"}, {"GetLogCumBegCum 100 50 -0.0003 0 _", "Invalid EndCum (0.000000)"},
    {"GetLogCumBegCum 100 50 -5e-12 1000 _", "Invalid decl (-0.000000)"},
    // Qi, Qf, FindCum, BegCum, EndCum
    {"GetLogCumVCum 100 50 500 0 1000 _", ""}, {"GetLogCumVCum 0 50 500 0 1000 _", "Invalid Qi (0.000000) or Qf (50.000000)"},
    {"GetLogCumVCum 100 0 500 0 1000 _", "Invalid Qi (100.000000) or Qf (0.000000)"}, {"GetLogCumVCum 100 50 -1e-300 0 1000 _", "Invalid BegCum (0.000000), EndCum (1000.000000), or FindCum (-0.000000)"},
    {"GetLogCumVCum 100 50 0 0 1000 _", ""}, {"GetLogCumVCum 100 50 500 -1e-300 1000 _", "Invalid BegCum (-0.000000), EndCum (1000.000000), or FindCum (500.000000)"},
    {"GetLogCumVCum 100 50 500 1000 1000 _", "BegCum (1000.000000) is less than EndCum (1000.000000)"},
    // Qi, Qf, cum1, cum2, Cumi, Cumf
    {"GetLogCum 100 50 100 200 0 1000 _", ""}, {"GetLogCum 0 50 100 200 0 1000 _", "@GetLogCumIntVal Invalid Qi (0.000000) or Qf (50.000000)"},
    {"GetLogCum 100 0 100 200 0 1000 _", "@GetLogCumIntVal Invalid Qi (100.000000) or Qf (0.000000)"}, {"GetLogCum 100 50 -1e-300 200 0 1000 _", "@GetLogCumIntVal Invalid Cumi (0.000000), Cumf (1000.000000), cum1 (-0.000000), or cum2 (200.000000)"},
    {"GetLogCum 100 50 200 199.999 0 1000 _", "@GetLogCumIntVal Invalid Cumi (0.000000), Cumf (1000.000000), cum1 (200.000000), or cum2 (199.999000)"}, {"GetLogCum 100 50 200 200 0 1000 _", ""},
    {"GetLogCum 100 50 100 200 -1e-300 1000 _", "@GetLogCumIntVal Invalid Cumi (-0.000000), Cumf (1000.000000), cum1 (100.000000), or cum2 (200.000000)"}, {"GetLogCum 100 50 100 200 1000 999.999 _", "@GetLogCumIntVal Invalid Cumi (1000.000000), Cumf (999.999000), cum1 (100.000000), or cum2 (200.000000)"},
    {"GetLogCum 100 50 100 200 1000 1000 _", ""},
    // Qi, Qf, decl, BegCum, EndCum (in and out)
    {"ValidateLogCum 100 50 0 0 1000", ""}, {"ValidateLogCum 100 0 0 0 1000", "=-1"},
    {"ValidateLogCum 0 50 0 0 1000", "=-1"}, {"ValidateLogCum 100 50 0 -1e-300 1000", "=-1"},
    {"ValidateLogCum 100 50 0 10 10", "=-1"}, {"ValidateLogCum 100 50 0 0 0", ""},
    // Stretched exponential: Qi, StartDate, EndDate, tau, n
    {"GetSEDMQt 100 2020-01-01 2021-01-01 2 0.5 _", ""}, {"GetSEDMQt 5e-324 2020-01-01 2021-01-01 2 0.5 _", ""},
    {"GetSEDMQt 0 2020-01-01 2021-01-01 2 0.5 _", "Invalid Qi (0.000000), tau (2.000000), or n (0.500000)"}, {"GetSEDMQt 100 2020-01-01 2021-01-01 0 0.5 _", "Invalid Qi (100.000000), tau (0.000000), or n (0.500000)"},
    {"GetSEDMQt 100 2020-01-01 2021-01-01 5e-324 0.5 _", ""},
    {"GetSEDMQt 100 1800-01-01 1801-01-01 2 0.5 _", ""}, {"GetSEDMQt 100 1799-12-31 2021-01-01 2 0.5 _", "Invalid start date (12/31/1799) or end date (1/1/2021)"},
    {"GetSEDMQt 100 2020-01-01 1799-12-31 2 0.5 _", "Invalid start date (1/1/2020) or end date (12/31/1799)"},
    {"GetSEDMQt 100 2020-01-01 2019-12-31T23:59:59 2 0.5 _", "End date (12/31/2019) is earlier than start date (1/1/2020)"},
    {"GetSEDMQt 100 2020-01-01 2020-01-01 2 0.5 _", ""},
    {"GetSEDMVol 100 2020-01-01 2021-01-01 2 0.5 _", ""}, {"GetSEDMVol 0 2020-01-01 2021-01-01 2 0.5 _", "Invalid Qi (0.000000), tau (2.000000), or n (0.500000)"},
    {"GetSEDMVol 100 2020-01-01 2021-01-01 -1 0.5 _", "Invalid Qi (100.000000), tau (-1.000000), or n (0.500000)"},
    {"GetSEDMVol 100 1799-12-31 2021-01-01 2 0.5 _", "Invalid start date (12/31/1799) or end date (1/1/2021)"},
    {"GetSEDMVol 100 2020-01-01 2019-12-31T23:59:59 2 0.5 _", "End date (12/31/2019) is earlier than start date (1/1/2020)"},
    {"GetSEDMVol 100 2020-01-01 2021-01-01 2 -0.5 _", "@gamma x (-2.000000) cannot be negative"},
    {"GetSEDMVol 100 2020-01-01 2021-01-01 2 0.00584795 _", "@gamma x (171.000094) is out of range for function (max = 171.0)"},
    {"GetSEDMVol 100 2020-01-01 2021-01-01 2 0.00588 _", "@incGamma xam (-1.687040) or a (170.068027) out of range for function (xam <= 700, a <= 170)"},
    // Qi, Qf, unused, tau, n
    {"GetSEDMYears 100 50 nan 2 0.5 _", ""}, {"GetSEDMYears 100 50 0 0 0.5 _", "tau (0.000000) and n (0.500000) must be greater than zero"},
    {"GetSEDMYears 100 50 0 5e-324 0.5 _", ""}, {"GetSEDMYears 0 -1 0 2 0.5 _", "Invalid Qi (0.000000) or Qf (-1.000000)"},
    {"GetSEDMYears 100 0 0 2 0.5 _", "Invalid Qi (100.000000) or Qf (0.000000)"}, {"GetSEDMYears 100 100 0 2 0.5 _", "Invalid Qi (100.000000) or Qf (100.000000)"},
    {"GetSEDMYears 100 99.999999999995 0 2 0.5 _", "Invalid Qi (100.000000) or Qf (100.000000)"}, {"GetSEDMYears 100 99.99999999998 0 2 0.5 _", ""},
    {"GetSEDMYears 50 100 0 2 0.5 _", "Invalid Qi (50.000000) or Qf (100.000000)"},
    // Qi, Qf, StartDate, EndDate, n
    {"GetSEDMTau 100 50 2020-01-01 2021-01-01 0.5 _", ""}, {"GetSEDMTau 100 0 2020-01-01 2021-01-01 0.5 _", "Invalid n (0.500000), Qi (100.000000), or Qf (0.000000)"},
    {"GetSEDMTau 100 100 2020-01-01 2021-01-01 0.5 _", "Invalid n (0.500000), Qi (100.000000), or Qf (100.000000)"},
    {"GetSEDMTau 100 50 2020-01-01 1799-12-31 0.5 _", "Invalid start date (1/1/2020) or end date (12/31/1799)"},
    {"GetSEDMTau 100 50 2020-01-01 2019-12-31T23:59:59 0.5 _", "End date (12/31/2019) is earlier than start date (1/1/2020)"},
    // Qf, StartDate, EndDate, tau, n
    {"GetSEDMQfVol 100 500 2020-01-01 2021-01-01 2 _", "=-1"}, {"GetSEDMQi 50 2020-01-01 2021-01-01 2 0.5 _", ""}, {"GetSEDMQi 0 2020-01-01 2021-01-01 2 0.5 _", "Invalid tau (2.000000), n (0.500000), or Qf (0.000000)"},
    {"GetSEDMQi 5e-324 2020-01-01 2021-01-01 2 0.5 _", ""}, {"GetSEDMQi 50 2020-01-01 2021-01-01 0 0.5 _", "Invalid tau (0.000000), n (0.500000), or Qf (50.000000)"},
    {"GetSEDMQi 50 1799-12-31 2021-01-01 2 0.5 _", "Invalid start date (12/31/1799) or end date (1/1/2021)"},
    {"GetSEDMQi 50 2020-01-01 2019-12-31T23:59:59 2 0.5 _", "End date (12/31/2019) is earlier than start date (1/1/2020)"},
};

}  // namespace qrvp::test

#endif
