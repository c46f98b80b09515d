"""The synthetic recovery check of bench/hindcast: Arps wells of known
parameters in producing time (60 months of history, 12% log noise, shut-in
months, part-uptime months, 3% wild months), fitted by each tool and scored on
the 10-year volume after the history at full uptime against the true curve's.

Seeded, so a run repeats exactly.  The wild months are a mis-reported month
(volume times 3 to 10 or divided by 3 to 10).
"""
import os
import subprocess
import csv
import io

import numpy as np

from hindcast_cases import days_in, month_index, month_text

MONTHS = 60
AHEAD = 120
FIRST = month_index("2015-01-01")


def cumulative(qi, d, b, t):
    """Arps volume from 0 to t months of producing time (rate qi per month, decline d per month)."""
    if b < 1e-9:
        return qi / d * (1 - np.exp(-d * t))
    if abs(b - 1) < 1e-9:
        return qi / d * np.log1p(d * t)
    return qi / ((1 - b) * d) * (1 - (1 + b * d * t) ** (1 - 1 / b))


def wells(count, seed=1):
    """[(name, months, volumes, days on, true 10-year volume)]."""
    rng = np.random.default_rng(seed)
    out = []
    for i in range(count):
        qi = float(np.exp(rng.uniform(np.log(1000), np.log(30000))))
        d = float(rng.uniform(0.4, 3.0)) / 12
        b = float(rng.uniform(0.2, 1.5))
        up = np.ones(MONTHS)
        part = rng.random(MONTHS) < 0.15
        up[part] = rng.uniform(0.3, 0.9, int(part.sum()))
        shut = rng.random(MONTHS) < 0.06
        shut[0] = False
        up[shut] = 0.0
        t = np.concatenate([[0.0], np.cumsum(up)])
        vol = cumulative(qi, d, b, t[1:]) - cumulative(qi, d, b, t[:-1])
        vol = vol * np.exp(rng.normal(0.0, 0.12, MONTHS))
        wild = (rng.random(MONTHS) < 0.03) & (up > 0)
        factor = np.exp(rng.uniform(np.log(3), np.log(10), MONTHS)) ** rng.choice([-1, 1], MONTHS)
        vol[wild] *= factor[wild]
        total = t[-1]
        truth = cumulative(qi, d, b, total + AHEAD) - cumulative(qi, d, b, total)
        months = FIRST + np.arange(MONTHS)
        days = np.array([up[m] * days_in(months[m]) for m in range(MONTHS)])
        out.append((f"S{i:04d}", months, np.where(up > 0, vol, 0.0), days, float(truth)))
    return out


def qrvp(binary, options, workdir, synth):
    path = os.path.join(workdir, "synthetic.csv")
    with open(path, "w") as f:
        f.write("well,date,volume,days_on\n")
        for name, months, vol, days, _ in synth:
            for m, v, d in zip(months, vol, days):
                if d > 0:
                    f.write(f"{name},{month_text(m)},{v!r},{d!r}\n")
            # the last month is always written, so every history ends at the same date
            if days[-1] == 0:
                f.write(f"{name},{month_text(months[-1])},0,0\n")
    segs = os.path.join(workdir, "synthetic_segments.csv")
    with open(segs, "w") as out:
        subprocess.run([binary, "fit", path] + list(options), stdout=out, stderr=subprocess.DEVNULL)
    fc = subprocess.run([binary, "forecast", segs, "--exact"], capture_output=True, text=True)
    first, last = FIRST + MONTHS, FIRST + MONTHS + AHEAD
    got = {}
    for r in csv.DictReader(io.StringIO(fc.stdout)):
        m = month_index(r["date"])
        if first <= m < last:
            got[r["well"]] = got.get(r["well"], 0.0) + float(r["volume"])
    return np.array([got.get(name, 0.0) for name, *_ in synth])


def scipy_first_month(synth):
    """The plain SciPy hyperbolic fit, soft-L1 from the first month (the
    issue's reference for this check)."""
    from scipy.optimize import least_squares
    out = []
    for _, _, vol, days, _ in synth:
        up = np.array([d / days_in(FIRST + m) for m, d in enumerate(days)])
        keep = up > 0
        t = (np.cumsum(up) - up / 2)[keep]
        y = np.log(vol[keep] / up[keep])

        def resid(p):
            return p[0] - np.log1p(p[2] * np.exp(p[1]) * t) / p[2] - y if p[2] > 1e-9 else p[0] - np.exp(p[1]) * t - y
        fit = least_squares(resid, [y[:3].mean(), np.log(0.1), 1.0],
                            bounds=([-50, np.log(1e-5), 0.0], [50, np.log(5.0), 2.0]), loss="soft_l1", f_scale=0.25)
        qi, d, b = np.exp(fit.x[0]), np.exp(fit.x[1]), fit.x[2]
        total = float(up.sum())
        out.append(cumulative(qi, d, b, total + AHEAD) - cumulative(qi, d, b, total))
    return np.array(out)


def score(forecast, synth):
    truth = np.array([s[4] for s in synth])
    e = np.abs(forecast - truth) / truth
    return float(np.median(e)), float(np.quantile(e, 0.9))
