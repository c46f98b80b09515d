// The forecast run over a table of wells: each well resolved and forecast on a
// worker thread, handed over in table order, and a failed well replayed alone
// for the library's records.
#include "fleet/forecast_run.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace qrvp::fleet {

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

std::vector<size_t> RunForecast(const std::vector<WellRows>& table, const TableOptions& options,
                                const ForecastFormat& format, unsigned threads, std::vector<Well>& wells,
                                const std::function<void(size_t, WellForecast&)>& sink)
{
    wells.assign(table.size(), Well{});
    std::vector<size_t> failed;
    RunInOrder(
        table.size(), threads,
        [&](size_t i) {
            Problem ignored;
            if (!ResolveWell(table[i], options, nullptr, wells[i], ignored)) {
                WellForecast result;
                result.failed = result.unresolved = true;
                return result;
            }
            return ForecastWell(wells[i], format);
        },
        [&](size_t i, WellForecast& result) {
            if (result.failed)
                failed.push_back(i);
            else
                sink(i, result);
        });
    return failed;
}

std::vector<Problem> ExplainForecastFailures(const std::vector<WellRows>& table, const std::vector<size_t>& failed,
                                             const TableOptions& options, const ForecastFormat& format,
                                             LogRoute& log)
{
    std::vector<Problem> problems;
    if (failed.empty()) return problems;
    log.Collect();  // what earlier calls left behind
    for (size_t i : failed) {
        Problem p;
        Well well;
        if (!ResolveWell(table[i], options, &log, well, p)) {
            problems.push_back(std::move(p));
            continue;
        }
        ForecastFormat replay = format;
        replay.oneValueCalls = true;  // so the failing call and its records are the one-value calls'
        WellForecast again = ForecastWell(well, replay);
        p = Problem{};
        p.line = again.failedLine;
        p.well = well.name;
        p.message = again.failed ? again.failedCall + " rejected a date inside the segment"
                                 : "a library call failed on one thread but not when repeated";
        p.records = log.Collect();
        problems.push_back(std::move(p));
    }
    return problems;
}

}  // namespace qrvp::fleet
