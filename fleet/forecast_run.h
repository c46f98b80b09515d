// The forecast run over a table of wells on worker threads: rows in table
// order, a bounded window of wells waiting, and the problems of the wells that
// failed, each replayed alone for the library's own records.
#ifndef QRVP_FLEET_FORECAST_RUN_H
#define QRVP_FLEET_FORECAST_RUN_H

#include "fleet/forecast.h"
#include "fleet/log_route.h"
#include "fleet/segments.h"

#include <cstddef>
#include <functional>
#include <vector>

namespace qrvp::fleet {

// Runs work(0..count-1) on `threads` threads and hands each result to sink in
// index order on the calling thread, keeping only a bounded window of results
// waiting.
void RunInOrder(size_t count, unsigned threads, const std::function<WellForecast(size_t)>& work,
                const std::function<void(size_t, WellForecast&)>& sink);

// Resolves and forecasts every well of the table on `threads` threads into
// wells[i] (resized to the table), handing each well that forecast to sink in
// table order on the calling thread; returns the indices of the wells that
// did not, in order.  The library's records of those stay in its log.
std::vector<size_t> RunForecast(const std::vector<WellRows>& table, const TableOptions& options,
                                const ForecastFormat& format, unsigned threads, std::vector<Well>& wells,
                                const std::function<void(size_t, WellForecast&)>& sink);

// Each failed well resolved and forecast again, alone on this thread with the
// log routed into `log` (no other thread may call the library meanwhile): its
// problem, with the records of the call that failed, one per well in order.
std::vector<Problem> ExplainForecastFailures(const std::vector<WellRows>& table, const std::vector<size_t>& failed,
                                             const TableOptions& options, const ForecastFormat& format,
                                             LogRoute& log);

}  // namespace qrvp::fleet

#endif
