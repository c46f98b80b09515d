#include "fleet/forecast.h"

#include "fleet/csv.h"
#include "fleet/text.h"

#include <algorithm>
#include <optional>

namespace qrvp::fleet {

namespace {

// "YYYY-MM-DD" at `at`; returns the end.
char* AppendDay(char* at, const Date& date)
{
    const unsigned year = date.year % 10000u;
    at[0] = static_cast<char>('0' + year / 1000u);
    at[1] = static_cast<char>('0' + year / 100u % 10u);
    at[2] = static_cast<char>('0' + year / 10u % 10u);
    at[3] = static_cast<char>('0' + year % 10u);
    at[4] = '-';
    at[5] = static_cast<char>('0' + date.month / 10u % 10u);
    at[6] = static_cast<char>('0' + date.month % 10u);
    at[7] = '-';
    at[8] = static_cast<char>('0' + date.day / 10u % 10u);
    at[9] = static_cast<char>('0' + date.day % 10u);
    return at + 10;
}

}  // namespace

double DayNumber(const Date& date)
{
    static const Date origin(1800, 1, 1, 0, 0, 0);
    return date.DaySpan(origin);
}

WellForecast ForecastWell(const Well& well, const ForecastFormat& format)
{
    WellForecast result;
    const std::vector<Segment>& segs = well.segments;
    const size_t count = segs.size();
    const std::string prefix = CsvField(well.name) + ",";

    auto fail = [&](const Segment& s, const char* call) {
        result.failed = true;
        result.failedLine = s.line;
        result.failedCall = call;
        result.rows.clear();
        result.curve.clear();
        result.values.clear();
    };

    // The months from the month of the first start, and the boundaries where
    // rates and cumulatives are taken: month k runs from boundary k (its first
    // instant of production) to boundary k + 1.
    std::vector<Date> months;
    std::vector<Date> bounds;
    {
        Date month = well.start;
        month.FirstOfMonth();
        const double days = well.end.DaySpan(month);
        const size_t rows = days > 0.0 && days < 4.0e6 ? static_cast<size_t>(days / 28.0) + 2 : 2;
        months.reserve(rows);
        bounds.reserve(rows + 1);
        while (month < well.end) {
            Date next = month;
            next.AddMonths(1);
            months.push_back(month);
            bounds.push_back(Max(month, well.start));
            if (!(next < well.end)) bounds.push_back(Min(next, well.end));
            month = next;
        }
        // One row is the name, a date and three numbers.
        if (format.keepValues)
            result.values.reserve(months.size());
        else
            result.rows.reserve(months.size() * (prefix.size() + 80));
    }

    // An Arps segment's rates and cumulatives at all its boundaries in one
    // call, which places its switch once; the one-value calls when that call
    // fails (so that the failing call, and its record, are theirs).
    std::vector<double> arpsRate(bounds.size()), arpsCum(bounds.size());
    bool arpsAtOnce = !format.oneValueCalls;
    for (size_t j = 0; j < count && arpsAtOnce; ++j) {
        const Segment& s = segs[j];
        if (s.model != Model::Arps) continue;
        const auto lo = std::lower_bound(bounds.begin(), bounds.end(), s.start) - bounds.begin();
        const auto hi = std::lower_bound(bounds.begin(), bounds.end(), s.end) - bounds.begin();
        if (lo < hi) {
            const auto at = static_cast<size_t>(lo);
            arpsAtOnce = GetArpsQtVolDates(s.start, s.qi, s.di, s.b, s.dmin, &bounds[at], static_cast<size_t>(hi - lo),
                                           &arpsRate[at], &arpsCum[at]) == 0;
        }
    }

    std::vector<char> row(prefix.size() + 16 + 3 * (kNumberCapacity + 1));
    std::copy(prefix.begin(), prefix.end(), row.begin());

    size_t rateSeg = 0;    // first segment that has not ended by the month's first instant
    size_t volumeSeg = 0;  // first segment that has not ended by the month's last boundary
    double completed = 0.0;  // volumes of the segments ended
    double previousCum = 0.0;
    for (size_t k = 0; k < months.size(); ++k) {
        const Date& from = bounds[k];
        const Date& to = bounds[k + 1];

        // Rate at the month's first instant of production; nothing flows in a
        // gap between segments.
        while (rateSeg < count && segs[rateSeg].end <= from) ++rateSeg;
        double rate = 0.0;
        if (rateSeg < count && segs[rateSeg].start <= from) {
            if (arpsAtOnce && segs[rateSeg].model == Model::Arps) {
                rate = arpsRate[k];
            } else if (SegmentRate(segs[rateSeg], from, &rate) != 0) {
                fail(segs[rateSeg], RateFunctionName(segs[rateSeg].model));
                return result;
            }
        }

        // Cumulative at the month's end boundary.
        while (volumeSeg < count && segs[volumeSeg].end <= to) completed += segs[volumeSeg++].volume;
        double cumulative = completed;
        if (volumeSeg < count && segs[volumeSeg].start < to) {
            double within = 0.0;
            if (arpsAtOnce && segs[volumeSeg].model == Model::Arps) {
                within = arpsCum[k + 1];
            } else if (SegmentCumulative(segs[volumeSeg], to, &within) != 0) {
                fail(segs[volumeSeg], VolumeFunctionName(segs[volumeSeg].model));
                return result;
            }
            cumulative += within;
        }
        const double volume = cumulative - previousCum;
        previousCum = cumulative;

        if (format.keepValues) {
            result.values.push_back({months[k], rate, volume, cumulative});
            if (format.keepCurve) result.curve.push_back({DayNumber(from), rate});
            continue;
        }
        // The row, built in place after the name and appended at once.
        char* p = AppendDay(row.data() + prefix.size(), months[k]);
        *p++ = ',';
        p = WriteNumber(p, rate, format.decimals);
        *p++ = ',';
        p = WriteNumber(p, volume, format.decimals);
        *p++ = ',';
        p = WriteNumber(p, cumulative, format.decimals);
        *p++ = '\n';
        result.rows.append(row.data(), p);
        if (format.keepCurve) result.curve.push_back({DayNumber(from), rate});
    }

    if (format.keepCurve) {
        // The segments' own end points, so that the plot shows each jump and
        // each end where it happens rather than at the next month.
        for (const Segment& s : segs) {
            if (s.start >= well.end) break;
            result.curve.push_back({DayNumber(s.start), s.qi});
            if (s.end <= well.end) {
                result.curve.push_back({DayNumber(s.end) - 1e-9, s.qf});
            } else {
                double rate = 0.0;
                if (SegmentRate(s, well.end, &rate) == 0) result.curve.push_back({DayNumber(well.end), rate});
            }
        }
        std::stable_sort(result.curve.begin(), result.curve.end(),
                         [](const CurvePoint& a, const CurvePoint& b) { return a.day < b.day; });
    }
    return result;
}

}  // namespace qrvp::fleet
