// The production history a fit reads: a header naming well, date and volume
// (days_on optional, any order), then one row per well and month.  The date
// opens a month-long period (the first day of the month by convention),
// volume is what the well produced in it, days_on its producing days (blank:
// the whole month).  Missing months are missing, not zero; a month with no
// volume or no producing time is a shut-in, which the fit leaves out.
#ifndef QRVP_FLEET_HISTORY_H
#define QRVP_FLEET_HISTORY_H

#include "QRVPFuncs.h"
#include "fleet/csv.h"
#include "fleet/segments.h"

#include <string>
#include <vector>

namespace qrvp::fleet {

// One well's months in date order, each with the table line it came from.
struct History {
    std::string name;
    int line = 0;  // the well's first row
    std::vector<Date> starts, ends;
    std::vector<double> volumes, daysOn;
    std::vector<int> lines;
    std::string problem;  // the first thing wrong with its rows; the well is then not fitted
    int problemLine = 0;
};

// Groups the records (the first is the header) into wells, in the order of
// their first rows.  A problem of the table itself (no header, a required
// column missing) is added to `problems` as fatal and no well is returned; a
// row that names no well is skipped with a warning.  A well's bad date or
// number, or two rows of one month, become its `problem`: the other wells are
// unaffected.  Messages name rows by the records' lines ("... of line N").
std::vector<History> ReadHistory(const std::vector<CsvRecord>& records, std::vector<Problem>& problems);

}  // namespace qrvp::fleet

#endif
