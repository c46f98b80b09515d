"""Rate and cumulative volume of one Arps segment (hyperbolic, switching to
Dmin) at 10^6 dates, measured side by side in one run:

* the package's vectorised call (datetime64[s] array in, NumPy array out);
* the floor: the same work in bare C++ over dates already built (one call of
  the library's evaluator GetArpsQtVolDates over them all), timed inside the
  module; beside it, a C++ loop of the one-value calls (GetArpsQt,
  GetArpsVol2);
* the same work in pure NumPy (closed forms over an array of years, as the
  pure-Python decline tools do it).

Best of `--repeats` runs each; per value in nanoseconds.  Not a test.
"""
import argparse
import time

import numpy as np

import qrvpfuncs as q
from qrvpfuncs import _qrvpfuncs

START = "2020-01-01"
QI, DI, B, DMIN = 1000.0, 1.2, 1.1, 0.08


def numpy_arps(dates):
    t = (dates - np.datetime64(START, "s")).astype(np.float64) / 86400.0 / 365.25
    t_sw = (DI / DMIN - 1.0) / (B * DI)
    q_sw = QI * (1.0 + B * DI * t_sw) ** (-1.0 / B)
    hyp = np.minimum(t, t_sw)
    base = 1.0 + B * DI * hyp
    rate_h = QI * base ** (-1.0 / B)
    cum_h = 12.0 * QI / ((1.0 - B) * DI) * (1.0 - base ** (1.0 - 1.0 / B))
    after = np.maximum(t - t_sw, 0.0)
    decay = np.exp(-DMIN * after)
    rate = np.where(t < t_sw, rate_h, q_sw * decay)
    cum = cum_h + 12.0 * q_sw * (1.0 - decay) / DMIN
    return rate, cum


def best(fn, repeats):
    times = []
    for _ in range(repeats):
        begin = time.perf_counter()
        fn()
        times.append(time.perf_counter() - begin)
    return min(times)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--count", type=int, default=1_000_000)
    parser.add_argument("--repeats", type=int, default=5)
    args = parser.parse_args()
    rng = np.random.default_rng(1)
    dates = np.datetime64(START, "s") + np.sort(rng.integers(0, 50 * 365 * 86400, args.count))
    n = args.count
    rows = []
    for name, vector, quantity in (("rate", q.arps_rate, "rate"), ("cumulative", q.arps_cumulative, "cumulative"),
                                   ("both", q.arps_rate_cumulative, "both")):
        pkg = best(lambda: vector(dates, START, QI, DI, B, DMIN), args.repeats) / n
        floor = _qrvpfuncs._floor_loop("arps", quantity, dates.view(np.int64), START, QI, DI, B, DMIN, 0.0, 0.0,
                                       args.repeats, True)
        calls = _qrvpfuncs._floor_loop("arps", quantity, dates.view(np.int64), START, QI, DI, B, DMIN, 0.0, 0.0,
                                       args.repeats, False)
        rows.append((name, pkg, floor, calls))
    np_time = best(lambda: numpy_arps(dates), args.repeats) / n
    rate, cum = numpy_arps(dates)
    diff_rate = np.max(np.abs(rate / q.arps_rate(dates, START, QI, DI, B, DMIN) - 1.0))
    diff_cum = np.max(np.abs(cum[1:] / q.arps_cumulative(dates, START, QI, DI, B, DMIN)[1:] - 1.0))
    print("%d dates, best of %d; ns per value" % (n, args.repeats))
    print("%-12s %10s %10s %8s %16s" % ("", "package", "C++ floor", "ratio", "one-value calls"))
    for name, pkg, floor, calls in rows:
        print("%-12s %10.1f %10.1f %7.2fx %16.1f" % (name, pkg * 1e9, floor * 1e9, pkg / floor, calls * 1e9))
    both = rows[2][1]
    print("rate and cumulative in one pass: package %.1f ns, pure NumPy %.1f ns: the package %.2fx as fast"
          % (both * 1e9, np_time * 1e9, np_time / both))
    print("largest relative difference from NumPy: rate %.1e, cumulative %.1e" % (diff_rate, diff_cum))


if __name__ == "__main__":
    main()
