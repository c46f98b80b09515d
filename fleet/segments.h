// The forecast's input: a table of decline segments, one row per segment,
// grouped into wells, and the resolution of each segment into the complete
// parameter set that the monthly forecast needs (start, end, initial and final
// rate, nominal declines, volume), solved by the library where a value is
// left blank.
#ifndef QRVP_FLEET_SEGMENTS_H
#define QRVP_FLEET_SEGMENTS_H

#include "QRVPFuncs.h"
#include "fleet/csv.h"
#include "fleet/log_route.h"

#include <memory>
#include <string>
#include <vector>

namespace qrvp::fleet {

enum class Model { Arps, LinTime, Sedm };

struct Segment {
    Model model = Model::Arps;
    int line = 0;          // the table line the segment came from
    Date start;
    Date end;
    double qi = 0.0;       // rate at start, volume per month
    double qf = 0.0;       // rate at end
    double di = 0.0;       // Arps: nominal decline per year; lintime: rate lost per year
    double b = 0.0;        // Arps exponent
    double dmin = 0.0;     // Arps nominal minimum decline per year
    double tau = 0.0;      // stretched exponential: characteristic time, years
    double n = 0.0;        // stretched exponential: exponent
    double volume = 0.0;   // the model's volume from start to end
    bool hasSwitch = false;  // an Arps segment switches to Dmin before its end
    Date switchDate;
    double switchRate = 0.0;
};

struct Well {
    std::string name;
    int line = 0;          // line of the well's first row
    std::vector<Segment> segments;
    Date start;            // the first segment's start
    Date end;              // where the forecast stops: the last end, cut at the horizon
};

// Something wrong with a row: where, and the library's own records when the
// library rejected the segment.
struct Problem {
    int line = 0;
    int column = 0;        // 1-based; 0 when the column is missing from the header
    std::string columnName;
    std::string well;      // empty when no well could be named
    std::string message;
    std::vector<LogRecord> records;
    bool fatal = false;    // the whole table is unusable
    bool warning = false;  // reported, but nothing is left out for it
};

struct TableOptions {
    // Months from the month of each well's first start after which the
    // forecast stops; 0 for no cap.
    int months = 0;
};

// Months an open-ended last segment runs when no cap is given.
constexpr int kOpenEndedMonths = 360;

// A longer well name is refused with its row: it would be repeated on every
// output row.
constexpr size_t kMaxWellNameBytes = 256;

// The rows of one well as the table gives them, not yet resolved.
class WellRows {
public:
    WellRows();
    ~WellRows();
    WellRows(WellRows&&) noexcept;
    WellRows& operator=(WellRows&&) noexcept;

    std::string name;
    int line = 0;  // the well's first row

private:
    friend std::vector<WellRows> ReadRecords(const std::vector<CsvRecord>&, std::vector<Problem>&);
    friend bool ResolveWell(const WellRows&, const TableOptions&, LogRoute*, Well&, Problem&);
    struct Rows;
    std::unique_ptr<Rows> rows_;
};

// Reads the header and groups the rows into wells, in the order of their
// first rows.  Problems of the header (fatal when a required column is
// missing) and of rows that name no well, or one longer than
// kMaxWellNameBytes, are added to `problems`.
std::vector<WellRows> ReadTable(const std::string& text, std::vector<Problem>& problems);
// The same from records already split (the first is the header), for hosts
// that hold the table as columns rather than text.
std::vector<WellRows> ReadRecords(const std::vector<CsvRecord>& records, std::vector<Problem>& problems);

// Resolves every segment of a well, solving blank values with the library.
// On the first problem returns false and describes it; the library's records
// are attached when `log` is given (the caller's thread must then be the only
// one calling the library), and left in the log when it is null.
bool ResolveWell(const WellRows& rows, const TableOptions& options, LogRoute* log, Well& well, Problem& problem);

// "file:line:column: message" with the library's records below it.
std::string DescribeProblem(const std::string& source, const Problem& problem);

// The rate and the cumulative volume from the segment's start at a date
// inside it, by the segment's own model; the library's status.
int32_t SegmentRate(const Segment& segment, const Date& at, double* rate);
int32_t SegmentCumulative(const Segment& segment, const Date& at, double* volume);

// The library function that SegmentRate and SegmentCumulative call.
const char* RateFunctionName(Model model);
const char* VolumeFunctionName(Model model);

}  // namespace qrvp::fleet

#endif
