#!/usr/bin/python3
"""Synthetic production histories for the fit benchmarks, and the same fits by
SciPy's least_squares for comparison.

  fit_scipy.py generate WELLS MONTHS OUT.csv   writes well,date,volume,days_on
  fit_scipy.py fit HISTORY.csv [MAX_WELLS]     fits each well by least_squares

The wells: Arps hyperbolas (Qi 1,000 to 50,000 a month, Di 0.3 to 2 a year,
b 0.2 to 1.5) whose clock runs while the well produces, with log-normal noise
(sigma 0.1), one month in twenty shut in and one in six part-time.  Seeded, so
every run writes the same file.

The SciPy fit solves the problem QRVPFit solves with its defaults for the
hyperbolic model: log residuals of each month's volume against the model's
volume over the month's producing time, weights halving every 12 months back
from the last, fit start at the peak month, bounds 1e-4 <= Di <= 36 and
0 <= b <= 2, method 'trf'.  Each well is timed on its own, all in one run.
"""
import csv
import datetime as dt
import sys
import time

import numpy as np
from scipy.optimize import least_squares


def months(n):
    d = dt.date(2010, 1, 1)
    out = []
    for _ in range(n + 1):
        out.append(d)
        d = dt.date(d.year + (d.month == 12), d.month % 12 + 1, 1)
    return out


def cum(qi, di, b, years):
    """12 x the integral of an Arps rate (per month) over years."""
    if b < 1e-9:
        return 12.0 * qi * -np.expm1(-di * years) / di
    if abs(b - 1.0) < 1e-12:
        return 12.0 * qi * np.log1p(di * years) / di
    return 12.0 * qi / ((1.0 - b) * di) * (1.0 - np.power(1.0 + b * di * years, 1.0 - 1.0 / b))


def generate(wells, n, path):
    rng = np.random.default_rng(2024)
    edges = months(n)
    days = np.array([(edges[i + 1] - edges[i]).days for i in range(n)], dtype=float)
    with open(path, "w", newline="") as f:
        f.write("well,date,volume,days_on\n")
        for w in range(wells):
            qi, di, b = rng.uniform(1000, 50000), rng.uniform(0.3, 2.0), rng.uniform(0.2, 1.5)
            r = rng.uniform(size=n)
            on = np.where(r < 0.05, 0.0, np.where(r < 0.22, days * rng.uniform(0.3, 1.0, size=n), days))
            on[0] = days[0]
            clock = np.concatenate([[0.0], np.cumsum(on)]) / 365.25
            vol = (cum(qi, di, b, clock[1:]) - cum(qi, di, b, clock[:-1])) * np.exp(rng.normal(0, 0.1, size=n))
            vol[on == 0] = 0.0
            rows = [f"W{w:05d},{edges[i].isoformat()},{vol[i]:.6g},{on[i]:.5g}\n" for i in range(n)]
            f.write("".join(rows))


def read(path):
    wells = {}
    with open(path) as f:
        for row in csv.DictReader(f):
            wells.setdefault(row["well"], []).append((float(row["volume"]), float(row["days_on"])))
    return wells


def fit_one(rows):
    vol = np.array([r[0] for r in rows])
    on = np.array([r[1] for r in rows])
    used = (vol > 0) & (on > 0)
    first = int(np.argmax(np.where(used, vol / np.where(on > 0, on, 1), -1)))
    used[:first] = False
    clock = np.concatenate([[0.0], np.cumsum(np.where(used, on, 0.0))]) / 365.25
    a, z = clock[:-1][used], clock[1:][used]
    y = np.log(vol[used])
    age = (np.nonzero(used)[0][-1] - np.nonzero(used)[0]).astype(float)
    sw = np.sqrt(np.exp2(-age / 12.0))

    def resid(p):
        qi, di, b = np.exp(p[0]), np.exp(p[1]), p[2]
        v = cum(qi, di, b, z) - cum(qi, di, b, a)
        return sw * (y - np.log(np.maximum(v, 1e-300)))

    d0 = 0.5
    p0 = [np.log(np.mean(vol[used][:3]) / np.mean(on[used][:3]) * 30.4375), np.log(d0 * 2), 1.0]
    return least_squares(resid, p0, bounds=([-700, np.log(1e-4), 0.0], [700, np.log(36.0), 2.0]), method="trf")


def fit(path, limit):
    wells = read(path)
    names = sorted(wells)[:limit]
    times, cpu = [], []
    failed = 0
    for name in names:
        t0, c0 = time.perf_counter(), time.process_time()
        result = fit_one(wells[name])
        times.append(time.perf_counter() - t0)
        cpu.append(time.process_time() - c0)
        failed += not result.success
    t, c = np.array(times) * 1e3, np.array(cpu) * 1e3
    print(f"scipy least_squares (trf), {len(names)} wells x {len(wells[names[0]])} months, one thread: "
          f"median {np.median(t):.2f} ms wall ({np.median(c):.2f} ms processor) per well, "
          f"total {np.sum(t) / 1e3:.1f} s wall, {failed} not converged")


if __name__ == "__main__":
    if len(sys.argv) >= 5 and sys.argv[1] == "generate":
        generate(int(sys.argv[2]), int(sys.argv[3]), sys.argv[4])
    elif len(sys.argv) >= 3 and sys.argv[1] == "fit":
        fit(sys.argv[2], int(sys.argv[3]) if len(sys.argv) > 3 else 10**9)
    else:
        sys.exit(__doc__)
