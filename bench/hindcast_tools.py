"""The tools bench/hindcast compares, each forecasting the holdout of a list
of cases.  Every tool returns, per case, the holdout cumulative forecast (its
full-uptime monthly volumes times each month's actual uptime, summed) and,
when it gives one, its P90 and P10 of that cumulative.

- qrvp: `qrvp fit` on one history CSV of all the cases (one run per
  protocol, the user-facing path with its defaults or the options given),
  then `qrvp forecast` of its segment table for the holdout months, and the
  report's band (or the horizon columns when the report has them).
- scipy: a plain SciPy hyperbolic fit, soft-L1 on log rates in producing time
  from the first producing month.
- naive: the log-linear trend of the last 6 producing months' rates.
- dca: Equinor's dca, well by well and as its group pipeline (imported from
  the peers directory).
"""
import csv
import io
import os
import subprocess
import tempfile

import numpy as np

from hindcast_cases import HOLDOUT, month_index, month_text

Z90 = 1.2815515655446004


def _cum(case, monthly):
    return float(np.dot(monthly, case.uptime))


# --- qrvp fit -----------------------------------------------------------------

def qrvp(cases, binary, options, workdir, horizon=HOLDOUT):
    """Runs qrvp fit once over all cases; returns (p50, p90, p10, failures,
    seconds)."""
    import time
    hist = os.path.join(workdir, "history.csv")
    with open(hist, "w") as f:
        f.write("well,date,volume,days_on\n")
        for c in cases:
            months, oil, days, up = c.history()
            for m, o, d, u in zip(months, oil, days, up):
                # a month that does not produce goes in as a shut-in
                f.write(f"{c.name},{month_text(m)},{o if u > 0 else 0.0!r},{d if u > 0 else 0.0!r}\n")
    report = os.path.join(workdir, "report.csv")
    segs = os.path.join(workdir, "segments.csv")
    cmd = [binary, "fit", hist, "--report", report] + list(options)
    if "--horizon" not in options and _supports(binary, "--horizon"):
        cmd += ["--horizon", str(horizon)]
    t0 = time.time()
    with open(segs, "w") as out:
        run = subprocess.run(cmd, stdout=out, stderr=subprocess.PIPE, text=True)
    seconds = time.time() - t0
    if run.returncode not in (0, 1):
        raise SystemExit(f"hindcast: {' '.join(cmd)} failed ({run.returncode}):\n{run.stderr[-2000:]}")
    rep = {r["well"]: r for r in csv.DictReader(open(report, newline=""))}
    fc = subprocess.run([binary, "forecast", segs, "--exact"], capture_output=True, text=True)
    if fc.returncode != 0:
        raise SystemExit(f"hindcast: qrvp forecast failed:\n{fc.stderr[-2000:]}")
    monthly = {}
    for r in csv.DictReader(io.StringIO(fc.stdout)):
        monthly.setdefault(r["well"], {})[month_index(r["date"])] = float(r["volume"])
    p50, p90, p10, failed = [], [], [], 0
    for c in cases:
        r = rep.get(c.name)
        v = monthly.get(c.name)
        if r is None or r["status"] != "ok" or v is None:
            failed += 1
            p50.append(0.0), p90.append(0.0), p10.append(0.0)
            continue
        f = np.array([v.get(c.end + 1 + j, 0.0) for j in range(HOLDOUT)])
        mid = _cum(c, f)
        full = float(np.sum(f))
        if r.get("horizon_p50") not in (None, "") and full > 0:
            # the calibrated P90/P50/P10 of the full-uptime horizon volume, scaled to the holdout's uptime
            lo, hi = float(r["horizon_p90"]) / full, float(r["horizon_p10"]) / full
            mid *= float(r["horizon_p50"]) / full
        else:
            rem = float(r["remaining"]) if r["remaining"] else 0.0
            lo = float(r["p90"]) / rem if r["p90"] and rem > 0 else 1.0
            hi = float(r["p10"]) / rem if r["p10"] and rem > 0 else 1.0
        p50.append(mid), p90.append(mid * lo), p10.append(mid * hi)
    return np.array(p50), np.array(p90), np.array(p10), failed, seconds


_support_cache = {}


def _supports(binary, flag):
    if (binary, flag) not in _support_cache:
        run = subprocess.run([binary, "fit", "--help"], capture_output=True, text=True)
        _support_cache[(binary, flag)] = flag in run.stdout
    return _support_cache[(binary, flag)]


# --- plain SciPy hyperbolic -----------------------------------------------------

def _producing_series(case):
    """(producing-time midpoints in months, rates per full month) of the
    history's producing months, and the history's total producing time."""
    _, oil, _, up = case.history()
    keep = up > 0
    t = np.cumsum(up) - up / 2
    return t[keep], oil[keep] / up[keep], float(up.sum())


def _holdout_clock(case, total):
    """Producing-time midpoints of the holdout months after `total` months."""
    return total + np.cumsum(case.uptime) - case.uptime / 2


def scipy_hyperbolic(cases):
    """ln q = ln qi - ln(1 + b Di t) / b by least_squares (soft-L1) from the peak
    month, t the producing time; the holdout on its producing-time clock."""
    from scipy.optimize import least_squares

    def one(c):
        t, q, total = _producing_series(c)
        peak = int(np.argmax(q))
        t, y = t[peak:], np.log(q[peak:])

        def resid(p):
            return p[0] - np.log1p(p[2] * np.exp(p[1]) * t) / p[2] - y if p[2] > 1e-9 else p[0] - np.exp(p[1]) * t - y
        fit = least_squares(resid, [y.max(), np.log(0.1), 1.0], bounds=([-50, np.log(1e-5), 0.0], [50, np.log(5.0), 2.0]),
                            loss="soft_l1", f_scale=0.25)
        qi, di, b = np.exp(fit.x[0]), np.exp(fit.x[1]), fit.x[2]
        tt = _holdout_clock(c, total)
        rate = qi / (1 + b * di * tt) ** (1 / b) if b > 1e-9 else qi * np.exp(-di * tt)
        return _cum(c, rate)
    return np.array([one(c) for c in cases])


# --- naive trend -----------------------------------------------------------------

def naive(cases):
    """The trend of ln(rate) over the last 6 producing months in producing time
    (never rising), carried on over the holdout's clock; its band the
    regression's 80% prediction interval at the holdout's middle, at most a
    factor of 10 either side (six points can leave the slope almost free)."""
    p50, p90, p10 = [], [], []
    for c in cases:
        t, q, total = _producing_series(c)
        x, y = t[-6:] - t[-1], np.log(q[-6:])
        ahead = _holdout_clock(c, total) - t[-1]
        if len(x) >= 3:
            slope, icpt = np.polyfit(x, y, 1)
            s = float(np.sqrt(np.sum((y - icpt - slope * x) ** 2) / (len(x) - 2)))
            mid = float(np.mean(ahead))
            spread = s * np.sqrt(1 + 1 / len(x) + (mid - x.mean()) ** 2 / np.sum((x - x.mean()) ** 2))
            spread = min(spread, np.log(10.0) / Z90)
        else:
            slope, icpt, spread = 0.0, y[-1], 0.0
        volume = _cum(c, np.exp(icpt + min(slope, 0.0) * ahead))
        p50.append(volume), p90.append(volume * np.exp(-Z90 * spread)), p10.append(volume * np.exp(Z90 * spread))
    return np.array(p50), np.array(p90), np.array(p10)
