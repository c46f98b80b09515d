"""The type well by time split, on the Bakken wells (read from a path, never
copied): the wells that started producing before the split date build the
type well from their histories as known at that date; the wells that started
after it, with 24 months of production in the data, are what it should
predict.  Printed per method: the share of the new wells' actual 24-month
cumulatives inside the type well's P90-P10 band of the 24-month cumulative
(target about 80%), and its P50 against their median (target within 10%),
as volumes and per 10,000 ft of lateral.

Methods:
- qrvp typewell: each well filled with its forecast, percentiles of the
  wells' cumulatives (the default), and the same with percentiles of each
  month's volume (--spread rate);
- time slice: the history-only method, percentiles month by month of the
  volumes of the wells still producing in that month (stopped where fewer
  than half the wells remain, as open tools do), cumulated.

With --vintage it also studies remedies for later vintages being better wells,
each learned from the analogs alone (per-well 24-month cumulatives from
qrvp typewell --by well, each well filled with its forecast): percentiles
weighted by recency (weight halving every H years before the split), a trend
of the log cumulative on the first-production year projected to a target
start date (the split, or the new wells' median start, which the planner
knows), and that trend's band widened by the vintages' own scatter around it.

With --speed N it also times qrvp typewell on N wells made from the Bakken
wells (each repeated with its volumes scaled by a log-normal factor and its
dates shifted by whole years), on --threads threads.

    python3 bench/typewell_split.py --qrvp build/release/tools/qrvp [--data ../shared/data] [--speed 10000] [--vintage]
"""
import argparse
import csv
import os
import random
import subprocess
import sys
import tempfile
import time
from collections import defaultdict

import numpy as np


def month(text):
    return int(text[:4]) * 12 + int(text[5:7]) - 1


def month_text(m):
    return "%04d-%02d-01" % (m // 12, m % 12 + 1)


def load(data):
    wells = defaultdict(dict)
    with open(os.path.join(data, "bakken_monthly.csv"), newline="") as f:
        for r in csv.DictReader(f):
            wells[r["well"]][month(r["date"])] = (float(r["oil"] or 0), float(r["days_on"] or 0))
    with open(os.path.join(data, "bakken_wells.csv"), newline="") as f:
        headers = {r["well"]: r for r in csv.DictReader(f)}
    return wells, headers


def first_production(months):
    return min((m for m, (oil, _) in months.items() if oil > 0), default=None)


def write_history(path, wells, before):
    with open(path, "w") as f:
        f.write("well,date,volume,days_on\n")
        for w, months in wells.items():
            for m in sorted(months):
                if m < before:
                    f.write("%s,%s,%r,%r\n" % (w, month_text(m), months[m][0], months[m][1]))


def run_typewell(qrvp, history, headers, options, workdir):
    cmd = [qrvp, "typewell", history, "--headers", headers, "--threads", "2"] + options
    t0 = time.time()
    run = subprocess.run(cmd, capture_output=True, text=True)
    seconds = time.time() - t0
    if run.returncode != 0:
        sys.exit("typewell_split: %s failed (%d):\n%s" % (" ".join(cmd), run.returncode, run.stderr[-3000:]))
    rows = list(csv.DictReader(run.stdout.splitlines()))
    left_out = sum(1 for line in run.stderr.splitlines() if "is left out" in line)
    return rows, seconds, left_out


def band_at(rows, months):
    r = next(r for r in rows if int(r["month"]) == months)
    return float(r["cum_p90"]), float(r["cum_p50"]), float(r["cum_p10"])


def time_slice(wells, starts, before, factors, months, stop=True):
    """History-only percentiles month by month over the wells still producing
    (with `stop`, none once fewer than half the wells remain)."""
    per_month = defaultdict(list)
    for w, m0 in starts.items():
        for k in range(months):
            if m0 + k >= before:
                break
            per_month[k].append(wells[w].get(m0 + k, (0.0, 0.0))[0] * factors[w])
    total = len(starts)
    cum = np.zeros(3)
    for k in range(months):
        values = per_month.get(k, [])
        if not values or (stop and len(values) < total / 2):
            return None, k  # the slice stops: fewer than half the wells remain
        cum += np.percentile(values, [10, 50, 90])
    return tuple(cum), months


def score(band, actuals):
    p90, p50, p10 = band
    inside = np.mean([(p90 <= a <= p10) for a in actuals])
    return inside, p50 / np.median(actuals) - 1.0


def figures(band, actuals):
    inside, bias = score(band, actuals)
    return "%.1f%% | %+.1f%%" % (100 * inside, 100 * bias)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--qrvp", default="build/release/tools/qrvp")
    parser.add_argument("--data", default="../shared/data")
    parser.add_argument("--split", default="2014-01-01")
    parser.add_argument("--months", type=int, default=24)
    parser.add_argument("--speed", type=int, default=0, help="also time this many wells")
    parser.add_argument("--vintage", action="store_true", help="also study the vintage remedies")
    args = parser.parse_args()
    wells, headers = load(args.data)
    split = month(args.split)
    end = max(m for months in wells.values() for m in months)
    starts = {w: first_production(m) for w, m in wells.items()}
    first_month = min(m for months in wells.values() for m in months)
    # A well producing in the data's first month began before it: its start is unknown.
    starts = {w: s for w, s in starts.items() if s is not None and s > first_month}
    old = {w: s for w, s in starts.items() if s < split}
    new = {w: s for w, s in starts.items() if s >= split and s + args.months - 1 <= end}
    sizes = {c: {w: float(h[c]) for w, h in headers.items() if h.get(c) and float(h[c]) > 0}
             for c in ("lateral_length_ft", "proppant_lbs")}
    lateral = sizes["lateral_length_ft"]
    actual = {w: sum(wells[w].get(s + k, (0.0, 0.0))[0] for k in range(args.months))
              for w, s in list(new.items()) + list(old.items())}

    with tempfile.TemporaryDirectory() as work:
        history = os.path.join(work, "old.csv")
        write_history(history, {w: wells[w] for w in old}, split)
        head = os.path.join(work, "wells.csv")
        with open(head, "w") as f:
            f.write("well,lateral_length_ft,proppant_lbs\n")
            for w in old:
                f.write("%s,%s,%s\n" % (w, headers.get(w, {}).get("lateral_length_ft", ""),
                                        headers.get(w, {}).get("proppant_lbs", "")))
        print("split %s: %d wells before it build the type well (their histories to the split), %d after it with "
              "%d months of production are predicted; data to %s" % (args.split, len(old), len(new), args.months,
                                                                     month_text(end)))
        print()
        print("| method | normalised | wells used | new wells inside P90-P10 | P50 / their median - 1 | "
              "old wells' own later months inside P90-P10 | P50 / their median - 1 | seconds |")
        print("|---|---|---|---|---|---|---|---|")
        for per, unit, label in ((None, 1, "no"), ("lateral_length_ft", 10000.0, "per 10,000 ft"),
                                 ("proppant_lbs", 5e6, "per 5,000,000 lb proppant")):
            size = sizes.get(per, {})
            factors = {w: (unit / size[w] if per and w in size else 1.0) for w in starts}
            targets = [actual[w] * factors[w] for w in new if not per or w in size]
            own = [actual[w] * factors[w] for w in old if not per or w in size]
            per_opt = ["--per", "%s=%g" % (per, unit)] if per else []
            for name, spread in (("qrvp typewell (forecast first, wells' cumulatives)", ["cumulative"]),
                                 ("qrvp typewell --spread rate (forecast first, monthly volumes)", ["rate"]),
                                 ("qrvp typewell --recency 1 (the wells weighed by vintage)",
                                  ["cumulative", "--recency", "1"])):
                rows, seconds, left_out = run_typewell(args.qrvp, history, head, ["--spread"] + spread + per_opt, work)
                band = band_at(rows, args.months)
                print("| %s | %s | %d | %s | %s | %.1f |" % (name, label, int(rows[0]["wells"]), figures(band, targets),
                                                            figures(band, own), seconds))
            used = {w: s for w, s in old.items() if not per or w in size}
            band, reached = time_slice(wells, used, split, factors, args.months)
            if band is None:
                print("| time slice (history only), stopped at half the wells | %s | %d | stops at month %d | | | | |"
                      % (label, len(used), reached + 1))
            # Run on over the survivors, as the months past that point are read.
            band, _ = time_slice(wells, used, split, factors, args.months, stop=False)
            survivors = sum(1 for s in used.values() if s + args.months - 1 < split)
            if band is None:
                print("| time slice (history only) over the survivors (none at month %d) | %s | %d | | | | | |"
                      % (args.months, label, len(used)))
                continue
            print("| time slice (history only) over the survivors (%d at month %d) | %s | %d | %s | %s | |"
                  % (survivors, args.months, label, len(used), figures(band, targets), figures(band, own)))
        print()
        for who, group in (("new wells'", new), ("old wells' own (known later)", old)):
            print("%s median %d-month cumulative: %.0f bbl (%.0f bbl per 10,000 ft)" % (
                who, args.months, np.median([actual[w] for w in group]),
                np.median([actual[w] * 10000.0 / lateral[w] for w in group if lateral.get(w, 0) > 0])))
        if args.vintage:
            vintage(args, history, old, split, [actual[w] for w in new], np.median(list(new.values())), work)
        if args.speed:
            speed(args, wells, work)


def weighted_band(values, weights):
    order = np.argsort(values)
    v, w = values[order], weights[order]
    at = (np.cumsum(w) - 0.5 * w) / w.sum()
    return tuple(float(np.interp(q, at, v)) for q in (0.1, 0.5, 0.9))


def vintage(args, history, old, split, targets, new_start, work):
    head = os.path.join(work, "each.csv")
    with open(head, "w") as f:
        f.write("well\n" + "".join(w + "\n" for w in old))
    rows, _, _ = run_typewell(args.qrvp, history, head, ["--by", "well", "--min-wells", "1",
                                                         "--months", str(args.months)], work)
    cum = {r["group"]: float(r["cum_p50"]) for r in rows if int(r["month"]) == args.months}
    ws = [w for w in old if cum.get(w, 0) > 0]
    c = np.array([cum[w] for w in ws])
    t = np.array([old[w] / 12.0 for w in ws])
    y = np.log(c)
    slope, level = np.polyfit(t - t.mean(), y, 1)
    years = sorted(set(np.floor(t)))
    scatter = np.sqrt(np.mean([(np.median(y[np.floor(t) == k]) - level - slope * (k + 0.5 - t.mean())) ** 2
                               for k in years]))
    print()
    print("vintage remedies (%d analogs; trend %+.1f%% a year, vintages' scatter around it %.3f in log):"
          % (len(ws), 100 * (np.exp(slope) - 1), scatter))
    print()
    print("| remedy | new wells inside P90-P10 | P50 / their median - 1 |")
    print("|---|---|---|")
    print("| none | %s |" % figures(tuple(np.percentile(c, [10, 50, 90])), targets))
    for h in (0.5, 1.0, 2.0):
        weights = 2.0 ** ((t - split / 12.0) / h)
        print("| recency weights, half-life %.1f years (%.0f wells' worth) | %s |"
              % (h, weights.sum() ** 2 / (weights ** 2).sum(), figures(weighted_band(c, weights), targets)))
    rng = np.random.default_rng(1)
    for name, target in (("the split", split / 12.0), ("the new wells' median start", new_start / 12.0)):
        moved = y + slope * (target - t)
        print("| trend projected to %s (%.2f) | %s |" % (name, target, figures(tuple(np.exp(np.percentile(moved, [10, 50, 90]))), targets)))
        wide = rng.choice(moved, 200000) + rng.normal(0.0, scatter, 200000)
        print("| and widened by the vintages' scatter | %s |" % figures(tuple(np.exp(np.percentile(wide, [10, 50, 90]))), targets))


def speed(args, wells, work):
    rng = random.Random(7)
    path = os.path.join(work, "many.csv")
    names = sorted(wells)
    with open(path, "w") as f:
        f.write("well,date,volume,days_on\n")
        for i in range(args.speed):
            w = names[i % len(names)]
            # Whole years of shift keep each month's length (but for February's leap day).
            scale, shift = rng.lognormvariate(0.0, 0.3), 12 * rng.randrange(0, 3)
            for m in sorted(wells[w]):
                oil, days = wells[w][m]
                days = min(days, 28.0) if (m + shift) % 12 == 1 else days
                f.write("%s-%d,%s,%r,%r\n" % (w, i, month_text(m + shift), oil * scale, days))
    head = os.path.join(work, "many_wells.csv")
    with open(head, "w") as f:
        f.write("well,county\n")
        for i in range(args.speed):
            f.write("%s-%d,%s\n" % (names[i % len(names)], i, "A" if i % 2 else "B"))
    for options in ([], ["--by", "county"]):
        rows, seconds, left_out = run_typewell(args.qrvp, path, head, options, work)
        print("speed: %d wells, qrvp typewell %s on 2 threads: %.1f s (%d wells left out)"
              % (args.speed, " ".join(options) or "(one group)", seconds, left_out))


if __name__ == "__main__":
    main()
