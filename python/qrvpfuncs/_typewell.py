"""Type wells: the P90/P50/P10 profile of groups of analog wells, each well
filled with its own forecast after its history (``qrvp typewell``)."""
import collections
import re
import numbers
import os
import warnings

import numpy as np
import pandas as pd

from . import _fit, _qrvpfuncs
from ._frames import _Where, _is_missing, _raise_or_warn, _table_texts

TYPEWELL_COLUMNS = _qrvpfuncs.TYPEWELL_COLUMNS
TYPEWELL_SUMMARY_COLUMNS = _qrvpfuncs.TYPEWELL_SUMMARY_COLUMNS

TypeWells = collections.namedtuple("TypeWells", "profile summary segments wells")
TypeWells.__doc__ = """The type wells of :func:`typewell`: `profile` (one row per group and
month: ``group, month, wells, in_history, p90, p50, p10, cum_p90, cum_p50, cum_p10``), `summary`
(one row per group: the EUR distribution of its wells ``eur_p90, eur_p50, eur_p10, eur_mean``, the
P50 well, and the profiles' own EURs), `segments` (each profile's fitted decline as the segment
table :func:`qrvpfuncs.forecast` reads, wells ``"<group> P50"`` ...) and `wells` (one row per well:
``well, group, factor, first, history_months, eur, problem, history_end``, problem None when
used)."""


def _header_texts(headers):
    """The well headers as columns of text (any columns; blanks ""), as a file gives them."""
    if headers is None:
        return None, None, None
    if isinstance(headers, (str, os.PathLike)):
        headers = pd.read_csv(headers, dtype=str, keep_default_na=False)
    if not isinstance(headers, pd.DataFrame):
        raise ValueError("headers must be a DataFrame or a CSV file, not %s" % type(headers).__name__)
    wells = next((headers[c] for c in headers.columns if str(c).strip().lower() == "well"),
                 pd.Series([None] * len(headers), index=headers.index))
    texts = []
    for column in headers.columns:
        values = headers[column]
        if values.dtype.kind == "M":
            texts.append(["" if pd.isna(v) else v.strftime("%Y-%m-%d") for v in values])
        elif values.dtype.kind == "f":
            texts.append(["" if v != v else repr(v) for v in values.tolist()])
        else:
            texts.append(["" if _is_missing(v) else str(v) for v in values.tolist()])
    return [str(c) for c in headers.columns], texts, _Where(headers, wells)


def _per(per):
    if per is None:
        return "", 1.0
    if isinstance(per, str):
        column, sep, unit = per.partition("=")
        try:
            unit = float(unit) if sep else None
        except ValueError:
            unit = None
    else:
        column, unit = per
    if not column or not isinstance(unit, numbers.Real) or not np.isfinite(unit) or not unit > 0:
        raise ValueError("per must be 'COLUMN=UNIT' or (column, unit) with a unit above 0 "
                         "('lateral_length_ft=10000'), not %r" % (per,))
    return str(column), float(unit)


def _fill(history, headers, by, per, months, align, model, prior, calibration, threads, fleet_size=0):
    """Each well of `history` aligned, normalised and filled: the module's dict,
    the problems raised or warned about."""
    names, texts, where, _ = _table_texts(history, _fit.HISTORY_COLUMNS)
    header_names, header_texts, header_where = _header_texts(headers)
    if (by or per) and header_names is None:
        raise ValueError("by and per need the well headers (headers=...)")
    column, unit = _per(per)
    threads = min(_fit._whole(threads, "threads", 1) or (os.cpu_count() or 1), 256)
    out = _qrvpfuncs._typewell_fill(names, texts, header_names, header_texts, by or "", column, unit,
                                    _fit._whole(months, "months", 1), str(align), "" if model is None else str(model),
                                    _fit._evidence(prior, "prior"), _fit._evidence(calibration, "calibration"),
                                    int(fleet_size), threads)
    _raise_or_warn(out["history_problems"], where, "raise")
    for row, column_name, well, message, records, warning, fatal in out["header_problems"]:
        if warning or not fatal:
            warnings.warn(message, stacklevel=3)
        elif row >= 0 and well and message.startswith("line "):
            # The table's line is a row of the caller's frame: name it by its index label.
            raise ValueError("headers row %r: %s" % (header_where.index[row], re.sub(r"^line \d+, ", "", message)))
        else:
            raise ValueError(message)
    if out["fatal"]:
        raise ValueError("the well headers cannot be used")
    return out


def _wells_frame(out):
    problems = [p or None for p in out["problems"]]
    used = np.array(out["used"], dtype=bool)
    problems = [p if u else "left out by the headers" for p, u in zip(problems, used)]
    first = np.array(out["first"], dtype="int64").astype("datetime64[s]").astype("datetime64[ns]")
    first[[p is not None for p in problems]] = np.datetime64("NaT")
    return pd.DataFrame({"well": out["wells"], "group": out["groups"], "factor": out["factors"], "first": first,
                         "history_months": out["history_months"], "eur": out["volumes"].sum(axis=1),
                         "problem": problems,
                         "history_end": np.array(out["history_end"], dtype="int64").astype("datetime64[s]")
                         .astype("datetime64[ns]")})


def _recency(recency):
    """The half-life in years, or 0.0 (all wells alike) for None."""
    if recency is None:
        return 0.0
    if isinstance(recency, bool) or not isinstance(recency, numbers.Real) or not recency > 0 \
            or not np.isfinite(recency):
        raise ValueError("recency must be a number of years above 0, or None, not %r" % (recency,))
    return float(recency)


def _build(wells, volumes, spread, min_wells, start, errors, recency=None):
    """The type wells of the filled wells (the `wells` frame and their volumes)."""
    ok = wells["problem"].isna().to_numpy()
    for well, problem in zip(wells["well"][~ok], wells["problem"][~ok]):
        if problem != "left out by the headers":
            warnings.warn("well '%s' is left out: %s" % (well, problem), stacklevel=3)
    if start is None:  # the month after the latest history, as the command takes it
        latest = wells["history_end"].max()
        start = pd.Timestamp(latest.year, latest.month, 1)
    start = pd.Timestamp(start).to_pydatetime()
    first = wells["first"][ok]
    out = _qrvpfuncs._typewell_build([str(w) for w in wells["well"][ok]], list(wells["group"][ok]),
                                     np.ascontiguousarray(volumes[ok]),
                                     wells["history_months"][ok].to_numpy(dtype=np.int32),
                                     (first.dt.year * 12 + first.dt.month - 1).to_numpy(dtype=np.int32), str(spread),
                                     _fit._whole(min_wells, "min_wells", 1), _recency(recency), start)
    for problem in out["problems"]:
        if errors == "raise":
            raise ValueError(problem)
        warnings.warn(problem + "; the group is left out", stacklevel=3)
    profile = pd.DataFrame({n: out["profile"][n] for n, _, _ in TYPEWELL_COLUMNS})
    for n, kind, _ in TYPEWELL_COLUMNS:
        if kind == "count":
            profile[n] = profile[n].astype("int64")
    summary = pd.DataFrame({n: out["summary"][n] for n, _, _ in TYPEWELL_SUMMARY_COLUMNS})
    summary["wells"] = summary["wells"].astype("int64")
    segments = _fit._frame(out["segments"], _qrvpfuncs.SEGMENT_COLUMNS,
                           np.array(out["segments"]["well"], dtype=object))
    return TypeWells(profile, summary, segments, wells)


def typewell(history, headers=None, *, by=None, per=None, align="first", spread="cumulative", months=360,
             min_wells=10, start=None, model=None, prior=None, calibration=None, threads=None, errors="raise",
             recency=None):
    """The type well of each group of wells, as ``qrvp typewell``.

    `history` has :func:`qrvpfuncs.fit`'s columns (``well, date, volume[,
    days_on]``); `headers` (a DataFrame or a CSV file: a ``well`` column and any
    others) is needed for `by` (a header column to group by; default: one
    group, ``all``) and `per` (``"lateral_length_ft=10000"``: volumes per that
    many units of the column).  Each well is fitted by the fleet run (its
    prior and calibration learned from the wells given, or `prior` and
    `calibration`), aligned to its first producing month (`align="peak"`: its
    highest), and its months after its history are filled with its forecast's
    P50, so no well drops out.  The profiles are the percentiles of the wells'
    cumulatives month by month (`spread="rate"`: of each month's volume), for
    `months` months; P90 is the low case.  `start` dates the segment table
    (default: the month after the latest history).  `recency` (years, as
    ``--recency``): each well weighs half as much per that many years its
    first month lies before the group's latest, leaning the type well to the
    latest vintage (an extrapolation; see docs/typewell.md).

    Returns :class:`TypeWells` (profile, summary, segments, wells).  A missing
    or non-numeric header column, and wells absent from the headers, raise
    ``ValueError`` naming them; a well left out (a blank header value, a fit
    that failed) is named in a warning; a group of fewer than `min_wells`
    wells raises (``errors="skip"``: warns and leaves it out).
    """
    if errors not in ("raise", "skip"):
        raise ValueError("errors must be 'raise' or 'skip', not %r" % (errors,))
    out = _fill(history, headers, by, per, months, align, model, prior, calibration, threads)
    return _build(_wells_frame(out), out["volumes"], spread, min_wells, start, errors, recency)
