#include "tools/qrvp/forecast.h"

#include "tools/qrvp/text.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace qrvp::tool {

namespace {

// The name as a CSV field: quoted when it holds a comma, quote or line break.
std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

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

    Date month = well.start;
    month.FirstOfMonth();
    size_t rateSeg = 0;    // first segment that has not ended by the month's first instant
    size_t volumeSeg = 0;  // first segment that has not ended by the month's last boundary
    double completed = 0.0;  // volumes of the segments ended
    double previousCum = 0.0;
    {
        // One row is the name, a date and three numbers.
        const double days = well.end.DaySpan(month);
        const double rows = days > 0.0 && days < 4.0e6 ? days / 28.0 + 2.0 : 2.0;
        if (format.keepValues)
            result.values.reserve(static_cast<size_t>(rows));
        else
            result.rows.reserve(static_cast<size_t>(rows) * (prefix.size() + 80));
    }

    while (month < well.end) {
        Date next = month;
        next.AddMonths(1);
        const Date from = Max(month, well.start);
        const Date to = Min(next, well.end);

        // Rate at the month's first instant of production; nothing flows in a
        // gap between segments.
        while (rateSeg < count && segs[rateSeg].end <= from) ++rateSeg;
        double rate = 0.0;
        if (rateSeg < count && segs[rateSeg].start <= from) {
            if (SegmentRate(segs[rateSeg], from, &rate) != 0) {
                fail(segs[rateSeg], RateFunctionName(segs[rateSeg].model));
                return result;
            }
        }

        // Cumulative at the month's end boundary.
        while (volumeSeg < count && segs[volumeSeg].end <= to) completed += segs[volumeSeg++].volume;
        double cumulative = completed;
        if (volumeSeg < count && segs[volumeSeg].start < to) {
            double within = 0.0;
            if (SegmentCumulative(segs[volumeSeg], to, &within) != 0) {
                fail(segs[volumeSeg], VolumeFunctionName(segs[volumeSeg].model));
                return result;
            }
            cumulative += within;
        }
        const double volume = cumulative - previousCum;
        previousCum = cumulative;

        if (format.keepValues) {
            result.values.push_back({month, rate, volume, cumulative});
            if (format.keepCurve) result.curve.push_back({DayNumber(from), rate});
            month = next;
            continue;
        }
        // The row after the name, built in place and appended at once.
        char row[16 + 3 * (kNumberCapacity + 1)];
        char* p = AppendDay(row, month);
        *p++ = ',';
        p = WriteNumber(p, rate, format.decimals);
        *p++ = ',';
        p = WriteNumber(p, volume, format.decimals);
        *p++ = ',';
        p = WriteNumber(p, cumulative, format.decimals);
        *p++ = '\n';
        result.rows += prefix;
        result.rows.append(row, p);
        if (format.keepCurve) result.curve.push_back({DayNumber(from), rate});
        month = next;
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

void RunInOrder(size_t count, unsigned threads, const std::function<WellForecast(size_t)>& work,
                const std::function<void(size_t, WellForecast&)>& sink)
{
    if (threads <= 1 || count <= 1) {
        for (size_t i = 0; i < count; ++i) {
            WellForecast result = work(i);
            sink(i, result);
        }
        return;
    }
    // Workers take the next index while it lies within the window ahead of
    // the sink; the calling thread hands finished results over in order.
    const size_t window = static_cast<size_t>(threads) * 16;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::optional<WellForecast>> done;  // results from index `written` on
    size_t nextIndex = 0;
    size_t written = 0;

    auto worker = [&]() {
        for (;;) {
            size_t index;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return nextIndex >= count || nextIndex < written + window; });
                if (nextIndex >= count) return;
                index = nextIndex++;
            }
            WellForecast result = work(index);
            {
                std::lock_guard lock(mutex);
                const size_t slot = index - written;
                if (done.size() <= slot) done.resize(slot + 1);
                done[slot] = std::move(result);
            }
            changed.notify_all();
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker);
    while (written < count) {
        WellForecast result;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return !done.empty() && done.front().has_value(); });
            result = std::move(*done.front());
            done.pop_front();
            ++written;
        }
        changed.notify_all();
        sink(written - 1, result);
    }
    for (std::thread& t : pool) t.join();
}

}  // namespace qrvp::tool
