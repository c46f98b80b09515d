"""DataFrame fits: production histories to qrvp fit's segment table and report."""
import numbers
import os
import re
import warnings

import numpy as np
import pandas as pd

from . import _qrvpfuncs
from ._frames import _columns, _is_missing, _Where

HISTORY_COLUMNS = ("well", "date", "volume", "days_on")
REPORT_COLUMNS = ("well", "status", "model", "fit_start", "curve_start", "periods_used", "qi", "di", "b", "dmin",
                  "tau", "n", "se_qi", "se_di_or_tau", "se_b_or_n", "log_rmse", "aicc", "aicc_exponential",
                  "aicc_hyperbolic", "aicc_stretched", "iterations", "history_end", "limit_date", "remaining", "p90",
                  "p50", "p10", "bootstrap_used", "message")
_MODELS = {0: "exponential", 1: "hyperbolic", 2: "stretched"}


def _numbers(series, name, where, required):
    values = pd.to_numeric(series, errors="coerce").to_numpy(dtype=np.float64)
    bad = ~np.isfinite(values) & ~(pd.isna(series).to_numpy() & (not required))
    if series.dtype.kind == "b":
        raise ValueError("column '%s': expected numbers, got booleans" % name)
    if bad.any():
        i = int(np.argmax(bad))
        raise ValueError("%s, column '%s': %r is not a finite number" % (where(i), name, series.iloc[i]))
    return values


def _dates(series, name, where):
    if isinstance(series.dtype, pd.DatetimeTZDtype):
        raise ValueError("column '%s': the library's dates have no time zone; convert to naive dates" % name)
    if series.dtype.kind == "M":
        parsed = series
    else:
        values = series.to_numpy(dtype=object)
        for i, v in enumerate(values):
            if not (isinstance(v, str) or _is_missing(v) or hasattr(v, "year")):
                raise ValueError("%s, column '%s': expected a date, got %r" % (where(i), name, v))
        parsed = pd.to_datetime(series, errors="coerce")
    seconds = parsed.to_numpy().astype("datetime64[s]")
    bad = np.isnat(seconds) | (seconds < np.datetime64("1800-01-01")) | (seconds > np.datetime64("2999-12-31"))
    if bad.any():
        i = int(np.argmax(bad))
        raise ValueError("%s, column '%s': bad date %r (YYYY-MM-DD, years 1800 to 2999)"
                         % (where(i), name, series.iloc[i]))
    return seconds.view(np.int64)


def _whole(value, name, low=0):
    if value is None:
        return None
    if not isinstance(value, numbers.Integral) or isinstance(value, bool) or value < low:
        raise ValueError("%s must be a whole number of at least %d, not %r" % (name, low, value))
    return int(value)


def _real(value, name):
    if not isinstance(value, numbers.Real) or isinstance(value, bool) or not np.isfinite(value):
        raise ValueError("%s must be a finite number, not %r" % (name, value))
    return float(value)


def fit(history, *, model="best", b_min=0.0, b_max=2.0, dmin=0.0, start=None, half_life=None, calendar=False,
        soft_l1=False, economic_limit=0.0, bootstrap=None, seed=1, threads=None, errors="raise", report=False):
    """Fits a decline to every well of a production history, as ``qrvp fit``.

    `history` has the columns ``well``, ``date``, ``volume`` and optionally
    ``days_on``: one row per well and month, the date opening a month-long
    period (the first of the month by convention), NaN days on for the whole
    month.  Missing months are missing, not zero; a month with no volume or no
    producing time is a shut-in, left out of the fit.

    The options are ``qrvp fit``'s: `model` (``best`` by AICc, ``exponential``,
    ``hyperbolic``, ``stretched``), `b_min`, `b_max`, `dmin` (nominal percent
    per year), `start` (fit from the first month on or after it; default the
    peak month), `half_life` (months), `calendar` (calendar rather than
    producing time), `soft_l1`, `economic_limit` (rate per month), `bootstrap`
    (replicates for P90/P50/P10), `seed`; `threads` (default one per core).

    Returns the segment table ``qrvp fit`` writes (``well, model, start, end,
    qi, qf, di, b, dmin, tau, n, decline_type``, one row per fitted well), which
    :func:`qrvpfuncs.forecast` takes as it is; with ``report=True`` the pair
    (segments, report), the report holding ``qrvp fit --report``'s columns,
    one row per well.  A bad column, type or value, and a well that cannot be
    fitted, raise ``ValueError`` naming the row and the well;
    ``errors="skip"`` leaves unfitted wells out of the segments (the report
    says why) with one warning.
    """
    if errors not in ("raise", "skip"):
        raise ValueError("errors must be 'raise' or 'skip', not %r" % (errors,))
    by_name = _columns(history, HISTORY_COLUMNS, ("well", "date", "volume"))
    wells_in = history[by_name["well"]]
    where = _Where(history, wells_in)
    codes, uniques = pd.factorize(wells_in, sort=False)
    blank = codes < 0
    if wells_in.dtype.kind == "O":
        blank |= (wells_in == "").to_numpy()
    if blank.any():
        raise ValueError("%s, column 'well': the row names no well" % where(int(np.argmax(blank))))
    seconds = _dates(history[by_name["date"]], "date", where)
    volumes = _numbers(history[by_name["volume"]], "volume", where, True)
    days_on = (_numbers(history[by_name["days_on"]], "days_on", where, False) if "days_on" in by_name
               else np.full(len(history), np.nan))
    threads = min(_whole(threads, "threads", 1) or (os.cpu_count() or 1), 256)
    seed = _whole(seed, "seed")
    if seed >= 2**64:
        raise ValueError("seed must be below 2^64, not %r" % (seed,))
    bootstrap = _whole(bootstrap, "bootstrap")
    if bootstrap is not None and bootstrap >= 2**31:
        raise ValueError("bootstrap must be below 2^31, not %r" % (bootstrap,))
    if start is not None and not isinstance(start, str):
        start = pd.Timestamp(start).to_pydatetime()

    out = _qrvpfuncs._fit(codes.astype(np.int64), len(uniques), seconds, volumes, days_on, str(model).lower(),
                          _real(b_min, "b_min"), _real(b_max, "b_max"), _real(dmin, "dmin"), start,
                          None if half_life is None else _real(half_life, "half_life"), bool(calendar),
                          bool(soft_l1), _real(economic_limit, "economic_limit"), bootstrap, seed, threads)

    names = np.empty(len(uniques), dtype=object)
    names[:] = list(uniques)
    ok = out["status"] == 0
    messages = [re.sub(r"row position (\d+)", lambda m: where(int(m.group(1))), msg) for msg in out["message"]]
    failed = np.flatnonzero(~ok)
    if len(failed) and errors == "raise":
        i = failed[0]
        place = where(out["row"][i]) if out["row"][i] >= 0 else "well '%s'" % names[i]
        if "(well" not in place and out["row"][i] >= 0:
            place += " (well '%s')" % names[i]
        raise ValueError("%s: the well is not fitted: %s" % (place, messages[i]))
    if len(failed):
        warnings.warn("%d of %d wells not fitted (the report says why), first %r: %s"
                      % (len(failed), len(names), names[failed[0]], messages[failed[0]]), stacklevel=2)

    def dates(key):
        return pd.Series(out[key].astype("datetime64[s]").astype("datetime64[ns]"))

    sedm = out["model"] == 2
    nan = np.nan
    segments = pd.DataFrame({
        "well": names, "model": np.where(sedm, "sedm", "arps"), "start": dates("curve_start"),
        "end": dates("limit_date"), "qi": out["qi"], "qf": nan,
        "di": np.where(sedm, nan, out["di"] * 100.0), "b": np.where(sedm, nan, out["b"]),
        "dmin": np.where(sedm | (out["dmin"] <= 0.0), nan, out["dmin"] * 100.0),
        "tau": np.where(sedm, out["tau"], nan), "n": np.where(sedm, out["n"], nan),
        "decline_type": np.where(sedm, None, "nominal"),
    })[ok].reset_index(drop=True)
    if not report:
        return segments

    def when_ok(values):
        return np.where(ok, values, nan)

    def finite(values):
        return np.where(ok & np.isfinite(values), values, nan)

    table = pd.DataFrame({
        "well": names, "status": np.where(ok, "ok", "failed"),
        "model": np.where(ok, [_MODELS.get(m, "best") for m in out["model"]], None),
        "fit_start": dates("fit_start").where(ok), "curve_start": dates("curve_start").where(ok),
        "periods_used": pd.array(out["periods_used"], dtype="Int64"),
        "qi": finite(out["qi"]), "di": finite(np.where(sedm, nan, out["di"] * 100.0)),
        "b": finite(np.where(sedm, nan, out["b"])), "dmin": finite(np.where(sedm, nan, out["dmin"] * 100.0)),
        "tau": finite(np.where(sedm, out["tau"], nan)), "n": finite(np.where(sedm, out["n"], nan)),
    })
    for key in ("se_qi", "se_di_or_tau", "se_b_or_n", "log_rmse", "aicc", "aicc_exponential", "aicc_hyperbolic",
                "aicc_stretched"):
        table[key] = finite(out[key])
    table["iterations"] = pd.array(out["iterations"], dtype="Int64")
    table["history_end"] = dates("history_end").where(ok)
    table["limit_date"] = dates("limit_date").where(ok)
    for key in ("remaining", "p90", "p50", "p10"):
        table[key] = finite(out[key])
    table["bootstrap_used"] = pd.array(out["bootstrap_used"], dtype="Int64")
    table["message"] = np.where(ok, None, np.array(messages, dtype=object))
    for key in ("periods_used", "iterations", "bootstrap_used"):
        table.loc[~ok, key] = pd.NA
    return segments, table
