"""The hindcast protocol: monthly histories read from a data directory, the
early-K and late cases cut from them, and the scores of a tool's holdout
forecasts.  Used by bench/hindcast (which says how to run it).

A month produces when its oil > 0 and its days on > 0; a month missing from a
well's run is a shut-in; days on are clipped to the month's length.  A case is
one well cut at one date: its history months (calendar months, shut-ins as
zero uptime) and its 24 holdout months with their actual volumes and uptimes.
"""
import calendar
import csv
import glob
import os
from dataclasses import dataclass, field

import numpy as np

HOLDOUT = 24
EARLY = (12, 24, 36)


def month_index(text):
    """Months since year 0 of a YYYY-MM-DD (or YYYY-MM) date."""
    return int(text[0:4]) * 12 + int(text[5:7]) - 1


def month_text(index):
    return f"{index // 12:04d}-{index % 12 + 1:02d}-01"


def days_in(index):
    return calendar.monthrange(index // 12, index % 12 + 1)[1]


@dataclass
class Well:
    name: str
    first: int                 # month index of the first row
    oil: np.ndarray            # per calendar month from `first`, 0 where missing
    days: np.ndarray           # producing days, clipped to the month
    uptime: np.ndarray         # days / days in month, 0 where the month does not produce
    cut_off: bool = False      # its early months are missing from the data

    def producing(self):
        return self.uptime > 0


@dataclass
class Case:
    well: Well
    protocol: str
    start: int                 # month index of the history's first month
    end: int                   # month index of the history's last month (inclusive)
    name: str = ""
    actual: np.ndarray = field(default=None)   # holdout volumes, 24 months
    uptime: np.ndarray = field(default=None)   # holdout uptimes

    def history(self):
        """(month indices, volumes, days on, uptimes) of the history window."""
        a, b = self.start - self.well.first, self.end - self.well.first + 1
        months = np.arange(self.start, self.end + 1)
        return months, self.well.oil[a:b], self.well.days[a:b], self.well.uptime[a:b]


def _pick_monthly(directory):
    """The monthly CSV of a directory: bakken_monthly.csv when present, else the
    one file whose header names well, date, oil (or volume) and days_on."""
    preferred = os.path.join(directory, "bakken_monthly.csv")
    if os.path.exists(preferred):
        return preferred
    found = []
    for path in sorted(glob.glob(os.path.join(directory, "*.csv"))):
        with open(path, newline="") as f:
            head = [h.strip().lower() for h in next(csv.reader(line for line in f if not line.startswith("#")), [])]
        if {"well", "date", "days_on"} <= set(head) and ("oil" in head or "volume" in head):
            found.append(path)
    if len(found) != 1:
        raise SystemExit(f"hindcast: {directory}: expected one monthly CSV with columns well,date,oil,days_on; "
                         f"found {len(found)}: {', '.join(found) or 'none'}")
    return found[0]


def _completion_dates(directory):
    """well -> month index of completion, from a header CSV naming well and
    completion_date in the directory, or None."""
    for path in sorted(glob.glob(os.path.join(directory, "*.csv"))):
        with open(path, newline="") as f:
            reader = csv.DictReader(f)
            cols = [c.strip().lower() for c in (reader.fieldnames or [])]
            if "well" not in cols or "completion_date" not in cols:
                continue
            key = {c.strip().lower(): c for c in reader.fieldnames}
            out = {}
            for row in reader:
                text = (row[key["completion_date"]] or "").strip()
                if len(text) >= 7:
                    out[row[key["well"]].strip()] = month_index(text)
            return out
    return None


def read_wells(path, cut_rule=True):
    """Wells of a monthly CSV (a file, or a directory holding one).  With
    cut_rule, wells whose early months are missing are marked: completed before
    the data's first month (header file) or, without a header file, producing
    in the data's first month."""
    directory = path if os.path.isdir(path) else os.path.dirname(path)
    monthly = _pick_monthly(path) if os.path.isdir(path) else path
    rows = {}
    with open(monthly, newline="") as f:
        reader = csv.DictReader(line for line in f if not line.startswith("#"))
        key = {c.strip().lower(): c for c in reader.fieldnames}
        vol = key.get("oil", key.get("volume"))
        for line, row in enumerate(reader, start=2):
            try:
                m = month_index(row[key["date"]].strip())
                oil = float(row[vol] or 0.0)
                days = float(row[key["days_on"]] or 0.0)
            except (ValueError, IndexError):
                raise SystemExit(f"hindcast: {monthly}:{line}: cannot read date, oil or days_on")
            rows.setdefault(row[key["well"]].strip(), {})[m] = (oil, days)
    first_month = min(min(r) for r in rows.values())
    completed = _completion_dates(directory) if cut_rule and os.path.isdir(path) else None
    wells = []
    for name in sorted(rows):
        r = rows[name]
        lo, hi = min(r), max(r)
        oil = np.zeros(hi - lo + 1)
        days = np.zeros(hi - lo + 1)
        for m, (o, d) in r.items():
            oil[m - lo] = max(o, 0.0) if np.isfinite(o) else 0.0
            days[m - lo] = min(max(d, 0.0), days_in(m)) if np.isfinite(d) else 0.0
        length = np.array([days_in(m) for m in range(lo, hi + 1)], dtype=float)
        uptime = np.where((oil > 0) & (days > 0), days / length, 0.0)
        well = Well(name, lo, oil, days, uptime)
        if cut_rule:
            if completed is not None:
                well.cut_off = name in completed and completed[name] < first_month
            else:
                prod = np.nonzero(uptime > 0)[0]
                well.cut_off = len(prod) > 0 and lo + prod[0] == first_month
        wells.append(well)
    return wells


def _holdout(case):
    w = case.well
    a = case.end + 1 - w.first
    b = a + HOLDOUT
    oil = np.zeros(HOLDOUT)
    up = np.zeros(HOLDOUT)
    n = min(b, len(w.oil)) - a
    if n > 0:
        oil[:n] = np.where(w.uptime[a:a + n] > 0, w.oil[a:a + n], 0.0)
        up[:n] = w.uptime[a:a + n]
    case.actual, case.uptime = oil, up
    return case


def cases(wells, protocol):
    """The cases of one protocol (early12, early24, early36, late)."""
    out = []
    for w in wells:
        prod = np.nonzero(w.producing())[0]
        if len(prod) == 0:
            continue
        if protocol.startswith("early"):
            k = int(protocol[5:])
            if w.cut_off:
                continue
            start = w.first + prod[0]
            end = start + k - 1
            # the holdout must lie inside the well's reported run
            if end + HOLDOUT > w.first + len(w.oil) - 1:
                continue
        else:
            last = w.first + prod[-1]
            end = last - HOLDOUT
            start = w.first
            if end < start:
                continue
        c = _holdout(Case(w, protocol, start, end, name=f"{w.name}@{protocol}"))
        _, _, _, up = c.history()
        need = 6 if protocol.startswith("early") else 12
        if np.count_nonzero(up > 0) < need or c.actual.sum() <= 0:
            continue
        out.append(c)
    return out


def scores(actual, p50, p90=None, p10=None):
    """The protocol's scores of holdout cumulatives (arrays over cases)."""
    a = np.asarray(actual, float)
    e = (np.asarray(p50, float) - a) / a
    out = {"n": len(a), "mdape": float(np.median(np.abs(e))), "mae": float(np.mean(np.minimum(np.abs(e), 5.0))),
           "bias": float(np.median(e))}
    if p90 is not None:
        lo, hi = np.asarray(p90, float), np.asarray(p10, float)
        out["band"] = float(np.mean((lo <= a) & (a <= hi)))
        iscore = (hi - lo) + 10.0 * np.maximum(lo - a, 0.0) + 10.0 * np.maximum(a - hi, 0.0)
        out["iscore"] = float(np.mean(iscore / a))
    return out
