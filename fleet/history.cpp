// Reading the production history: the header's columns, each row's date,
// volume and days on, and each well's months sorted, overlaps refused.
#include "fleet/history.h"

#include "fleet/columns.h"
#include "fleet/text.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>

namespace qrvp::fleet {

namespace {

enum HistoryColumn { kWell, kDate, kVolume, kDaysOn };

std::string NotFinite(const std::string& text)
{
    std::string message = "'";
    message += text;
    message += "' is not a finite number";
    return message;
}

// The months of a well in date order; its problem set when two share a month.
void SortMonths(History& w)
{
    std::vector<size_t> order(w.starts.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return w.starts[a] < w.starts[b]; });
    History sorted;
    for (size_t k : order) {
        if (!sorted.starts.empty() && w.starts[k] < sorted.ends.back()) {
            w.problem = "its month " + FormatDate(w.starts[k]) + " overlaps the month of line " +
                        std::to_string(sorted.lines.back());
            w.problemLine = w.lines[k];
            return;
        }
        sorted.starts.push_back(w.starts[k]);
        sorted.ends.push_back(w.ends[k]);
        sorted.volumes.push_back(w.volumes[k]);
        sorted.daysOn.push_back(w.daysOn[k]);
        sorted.lines.push_back(w.lines[k]);
    }
    w.starts.swap(sorted.starts);
    w.ends.swap(sorted.ends);
    w.volumes.swap(sorted.volumes);
    w.daysOn.swap(sorted.daysOn);
    w.lines.swap(sorted.lines);
}

}  // namespace

std::vector<History> ReadHistory(const std::vector<CsvRecord>& records, std::vector<Problem>& problems)
{
    std::vector<History> wells;
    if (records.empty()) {
        problems.push_back({1, 0, "", "",
                            "the history is empty: it needs a header naming well, date, volume[, days_on]", {}, true,
                            false});
        return wells;
    }
    int col[kHistoryColumns.size()] = {-1, -1, -1, -1};
    const CsvRecord& header = records.front();
    for (size_t i = 0; i < header.fields.size(); ++i) {
        const size_t c = FindColumn(kHistoryColumns, Lower(header.fields[i]));
        if (c < kHistoryColumns.size()) col[c] = static_cast<int>(i);
    }
    for (size_t c = 0; c < kHistoryColumns.size(); ++c) {
        if (col[c] < 0 && kHistoryColumns[c].required) {
            problems.push_back({header.line, 0, kHistoryColumns[c].name, "",
                                std::string("missing column '") + kHistoryColumns[c].name +
                                    "' (the header must name well, date and volume; days_on is optional)",
                                {}, true, false});
            return wells;
        }
    }
    std::map<std::string, size_t> index;
    for (size_t r = 1; r < records.size(); ++r) {
        const CsvRecord& rec = records[r];
        auto field = [&](int c) -> std::string {
            return c >= 0 && static_cast<size_t>(c) < rec.fields.size() ? rec.fields[static_cast<size_t>(c)] : "";
        };
        const std::string name = field(col[kWell]);
        if (name.empty()) {
            problems.push_back({rec.line, col[kWell] + 1, "well", "", "the row names no well; it is skipped", {},
                                false, true});
            continue;
        }
        auto [it, added] = index.try_emplace(name, wells.size());
        if (added) {
            wells.emplace_back();
            wells.back().name = name;
            wells.back().line = rec.line;
        }
        History& w = wells[it->second];
        if (!w.problem.empty()) continue;
        auto bad = [&](HistoryColumn c, const std::string& what) {
            w.problem = "column '" + std::string(kHistoryColumns[c].name) + "': " + what;
            w.problemLine = rec.line;
        };
        const auto date = ParseDate(field(col[kDate]));
        if (!date) {
            bad(kDate, "bad date '" + field(col[kDate]) + "' (YYYY-MM-DD, years 1800 to 2999)");
            continue;
        }
        const auto volume = ParseNumber(field(col[kVolume]));
        if (!volume || !std::isfinite(*volume)) {
            bad(kVolume, NotFinite(field(col[kVolume])));
            continue;
        }
        Date end = *date;
        end.AddMonths(1);
        double days = end.DaySpan(*date);
        if (col[kDaysOn] >= 0 && !field(col[kDaysOn]).empty()) {
            const auto on = ParseNumber(field(col[kDaysOn]));
            if (!on || !std::isfinite(*on)) {
                bad(kDaysOn, NotFinite(field(col[kDaysOn])));
                continue;
            }
            days = *on;
        }
        w.starts.push_back(*date);
        w.ends.push_back(end);
        w.volumes.push_back(*volume);
        w.daysOn.push_back(days);
        w.lines.push_back(rec.line);
    }
    for (History& w : wells)
        if (w.problem.empty()) SortMonths(w);
    return wells;
}

}  // namespace qrvp::fleet
