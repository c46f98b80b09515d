"""DataFrame fits: production histories to qrvp fit's segment table and report."""
import numbers
import os
import re
import warnings

import numpy as np
import pandas as pd

from . import _qrvpfuncs
from ._frames import _labels, _raise_or_warn, _table_texts

# The tables' columns as the fleet layer defines them: (name, kind, required).
HISTORY_COLUMNS = _qrvpfuncs.HISTORY_COLUMNS
REPORT_COLUMNS = _qrvpfuncs.REPORT_COLUMNS
HORIZON_COLUMNS = _qrvpfuncs.HORIZON_COLUMNS
TOTALS_COLUMNS = _qrvpfuncs.TOTALS_COLUMNS


def _evidence(value, name):
    """A prior or calibration as the fleet layer reads it: CSV text, from a
    path, a DataFrame, or the text itself."""
    if value is None:
        return None
    if isinstance(value, pd.DataFrame):
        return value.to_csv(index=False, float_format="%.17g")
    if isinstance(value, (str, os.PathLike)) and os.path.exists(value):
        with open(value) as f:
            return f.read()
    if isinstance(value, str) and "\n" in value:
        return value
    raise ValueError("%s must be a file, a DataFrame or CSV text, not %r" % (name, value))


def _headers(headers):
    """The well headers' names and columns of text, as qrvp typewell reads them ([] for none)."""
    from ._typewell import _header_texts
    names, texts, _ = _header_texts(headers)
    return names or [], texts or []


def _rho(rho):
    if rho is None:
        return -1.0
    rho = _real(rho, "rho")
    if not 0.0 <= rho <= 1.0:
        raise ValueError("rho must lie in 0 .. 1, not %r" % (rho,))
    return rho


def _totals_frame(columns):
    """The totals table; each group whose total is withheld is named in a
    warning, as the command names it on standard error."""
    frame = _frame(columns, TOTALS_COLUMNS, np.array(columns["group"], dtype=object))
    for group, message in zip(frame["group"], frame["message"]):
        if isinstance(message, str) and message:
            warnings.warn("the total of group %r is not given: %s" % (group, message), stacklevel=3)
    return frame


def totals(report, headers, by, *, rho, seed=1, threads=None):
    """The P90/P50/P10 of each group's total volume over a fit's horizon, as
    ``qrvp fit --totals`` writes them, from a report with the horizon columns
    (``well, status, horizon_p90, horizon_p50, horizon_p10``; ``message`` when
    present) and the dependence `rho` (0 .. 1) between the wells of a group.
    `headers` is the well headers (a DataFrame or CSV file with ``well`` and the column `by`).
    Returns one row per group (``group, wells, p90, p50, p10, mean, rho,
    rho_pairs, sum_p90, sum_p10, message``); a group of one well, or holding a
    well that was not fitted, has only a message."""
    names, texts = _headers(headers)
    ok = report["status"].astype(str) == "ok" if "status" in report else pd.Series(True, index=report.index)
    message = report["message"] if "message" in report else pd.Series(None, index=report.index, dtype=object)
    problems = ["" if good else (m if isinstance(m, str) and m else "the fit failed")
                for good, m in zip(ok.tolist(), message.tolist())]
    threads = min(_whole(threads, "threads", 1) or (os.cpu_count() or 1), 256)
    out = _qrvpfuncs._totals([str(w) for w in report["well"].tolist()],
                             *[report[c].to_numpy(dtype=float).tolist() for c in ("horizon_p90", "horizon_p50",
                                                                                   "horizon_p10")],
                             problems, names, texts, str(by), float(_rho(rho)), _whole(seed, "seed"), threads)
    return _totals_frame(out)


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


def _frame(columns, table, labels):
    """The module's columns of one table as a DataFrame, by each column's kind."""
    out = {}
    for name, kind, _ in table:
        values = columns[name]
        if name == "well":
            out[name] = labels
        elif kind == "date":
            out[name] = pd.Series(values.astype("datetime64[s]").astype("datetime64[ns]"))
        elif kind == "count":
            out[name] = pd.array(values, dtype="Int64")
        else:
            out[name] = values
    return pd.DataFrame(out)


def fit(history, *, model=None, b_min=0.0, b_max=2.0, dmin=0.0, start=None, half_life=None, calendar=False,
        soft_l1=None, economic_limit=0.0, bootstrap=None, seed=1, threads=None, errors="raise", report=False,
        horizon=None, prior=None, calibration=None, no_prior=False, headers=None, totals=None, rho=None, _fleet_size=0,
        _learn_only=False):
    """Fits a decline to every well of a production history, as ``qrvp fit``.

    `history` has the columns ``well``, ``date``, ``volume`` and optionally
    ``days_on``: one row per well and month, the date opening a month-long
    period (the first of the month by convention), NaN days on for the whole
    month.  Missing months are missing, not zero; a month with no volume or no
    producing time is a shut-in, left out of the fit.

    The options are ``qrvp fit``'s: `model` (default ``hyperbolic``;
    ``exponential``, ``stretched``, ``best`` by the fleet's backtests), `b_min`, `b_max`, `dmin`
    (nominal percent per year), `start` (fit from the first month on or after
    it; default the peak of the last regime), `half_life` (months), `calendar`
    (calendar rather than producing time), `soft_l1` (default True; False: least
    squares), `economic_limit` (rate per month), `bootstrap` (replicates for
    P90/P50/P10), `seed`; `threads` (default one per core); `horizon` (months:
    the report gains ``horizon_p90, horizon_p50, horizon_p10``), `prior` and
    `calibration` (a file, a DataFrame or CSV text in ``qrvp fit --prior`` and
    ``--calibration``'s tables; default: learned from the wells given, as the
    command does), `no_prior`; `totals` (a column of `headers`, the well
    headers: a DataFrame or CSV file with ``well`` and that column) and `rho` (default:
    learned from the fleet's backtests), as ``qrvp fit --totals``.

    Returns the segment table ``qrvp fit`` writes (``well, model, start, end,
    qi, qf, di, b, dmin, tau, n, decline_type``, one row per fitted well), which
    :func:`qrvpfuncs.forecast` takes as it is; with ``report=True`` the pair
    (segments, report), the report holding ``qrvp fit --report``'s columns,
    one row per well.  A bad column, type or value, and a well that cannot be
    fitted, raise ``ValueError`` naming the row and the well;
    ``errors="skip"`` leaves unfitted wells out of the segments (the report
    says why) with one warning.  With `totals` the result gains a last
    element, the totals table (:func:`totals`), and `horizon` is needed.
    """
    if errors not in ("raise", "skip"):
        raise ValueError("errors must be 'raise' or 'skip', not %r" % (errors,))
    names, texts, where, well_values = _table_texts(history, HISTORY_COLUMNS)
    threads = min(_whole(threads, "threads", 1) or (os.cpu_count() or 1), 256)
    seed = _whole(seed, "seed")
    if seed >= 2**64:
        raise ValueError("seed must be below 2^64, not %r" % (seed,))
    bootstrap = _whole(bootstrap, "bootstrap")
    if bootstrap is not None and bootstrap >= 2**31:
        raise ValueError("bootstrap must be below 2^31, not %r" % (bootstrap,))
    if start is not None and not isinstance(start, str):
        start = pd.Timestamp(start).to_pydatetime()

    horizon = _whole(horizon, "horizon", 1) or 0
    if horizon > 1200:
        raise ValueError("horizon must be at most 1200 months, not %r" % (horizon,))
    if totals is not None and (headers is None or not horizon):
        raise ValueError("totals need the well headers (headers=) and a horizon")
    header_names, header_texts = _headers(headers if totals is not None else None)
    out = _qrvpfuncs._fit(names, texts, "" if model is None else str(model), _real(b_min, "b_min"),
                          _real(b_max, "b_max"), _real(dmin, "dmin"), start,
                          None if half_life is None else _real(half_life, "half_life"), bool(calendar),
                          None if soft_l1 is None else bool(soft_l1), _real(economic_limit, "economic_limit"),
                          bootstrap, seed, threads, horizon, _evidence(prior, "prior"),
                          _evidence(calibration, "calibration"), bool(no_prior), int(_fleet_size), bool(_learn_only),
                          header_names, header_texts, "" if totals is None else str(totals), _rho(rho))
    if _learn_only:
        return out["prior"], out["calibration"], out["dependence"]
    _raise_or_warn(out["problems"], where, errors)

    labels = _labels(well_values, out["wells"])
    rows = out["failed_rows"]
    # The fleet layer numbers rows from 1 after the header; a message names the caller's row.
    messages = [re.sub(r"of line (\d+)", lambda m: "of " + where(int(m.group(1)) - 1), msg or "")
                for msg in out["report"]["message"]]
    failed = [i for i, row in enumerate(rows) if row >= 0]
    if failed and errors == "raise":
        i = failed[0]
        place = where(rows[i])
        if "(well" not in place:
            place += " (well '%s')" % labels[i]
        raise ValueError("%s: the well is not fitted: %s" % (place, messages[i]))
    if failed:
        warnings.warn("%d of %d wells not fitted (the report says why), first %r: %s"
                      % (len(failed), len(labels), labels[failed[0]], messages[failed[0]]), stacklevel=2)

    ok = np.array([row < 0 for row in rows], dtype=bool)
    segments = _frame(out["segments"], _qrvpfuncs.SEGMENT_COLUMNS, labels[ok])
    extra = (_totals_frame(out["totals"]),) if totals is not None else ()
    if not report:
        return (segments,) + extra if extra else segments
    out["report"]["message"] = [m if row >= 0 else None for m, row in zip(messages, rows)]
    table = _frame(out["report"], REPORT_COLUMNS, labels)
    if horizon:
        bands = _frame(out["bands"], HORIZON_COLUMNS, labels)
        table = pd.concat([table, bands.drop(columns=[c for c in bands.columns if c == "well"])], axis=1)
    return (segments, table) + extra
