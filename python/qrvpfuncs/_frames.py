"""DataFrame calls: the segment table to its monthly forecast."""
import datetime
import math
import numbers
import os
import warnings

import numpy as np
import pandas as pd

from . import _qrvpfuncs

SEGMENT_COLUMNS = ("well", "model", "start", "end", "qi", "qf", "di", "b", "dmin", "tau", "n", "decline_type")
FORECAST_COLUMNS = ("well", "date", "rate", "volume", "cumulative")
_DATE_COLUMNS = ("start", "end")
_TEXT_COLUMNS = ("well", "model", "decline_type")


class _Where:
    """Names a row of the caller's frame in messages: its index label and well."""

    def __init__(self, frame, wells):
        self.index = frame.index
        self.wells = wells  # the well column, read only for a message

    def __call__(self, position):
        label = self.index[position]
        well = self.wells.iloc[position]
        text = "row %r" % (label,)
        if not _is_missing(well) and str(well):
            text += " (well '%s')" % well
        return text


def _is_missing(value):
    if value is None or value is pd.NaT:
        return True
    if isinstance(value, float) and math.isnan(value):
        return True
    return isinstance(value, np.datetime64) and np.isnat(value)


def _number_texts(series, name, where):
    values = series.to_numpy()
    kind = values.dtype.kind
    if kind == "b":
        raise ValueError("column '%s': expected numbers, got booleans" % name)
    if kind in "iu":
        return [str(v) for v in values.tolist()]
    if kind == "f":
        return ["" if v != v else repr(v) for v in values.tolist()]
    if kind != "O":
        raise ValueError("column '%s': expected numbers, got %s" % (name, values.dtype))
    texts = []
    for i, v in enumerate(values.tolist()):
        if _is_missing(v):
            texts.append("")
        elif isinstance(v, str):
            texts.append(v)  # read as the table reads it ("65", "65%", "")
        elif isinstance(v, numbers.Real) and not isinstance(v, bool):
            texts.append(repr(float(v)))
        else:
            raise ValueError("%s, column '%s': expected a number, got %r" % (where(i), name, v))
    return texts


def _date_text(v):
    if v.microsecond:
        v = v.replace(microsecond=0)
    return "%04d-%02d-%02dT%02d:%02d:%02d" % (v.year, v.month, v.day, v.hour, v.minute, v.second)


def _date_texts(series, name, where):
    values = series
    if isinstance(values.dtype, pd.DatetimeTZDtype):
        raise ValueError("column '%s': the library's dates have no time zone; convert to naive dates" % name)
    if values.dtype.kind == "M":
        seconds = values.to_numpy().astype("datetime64[s]")
        texts = np.datetime_as_string(seconds, unit="s").tolist()
        return ["" if t == "NaT" else t for t in texts]
    if values.dtype.kind != "O":
        raise ValueError("column '%s': expected dates, got %s" % (name, values.dtype))
    texts = []
    for i, v in enumerate(values.tolist()):
        if _is_missing(v):
            texts.append("")
        elif isinstance(v, str):
            texts.append(v)
        elif isinstance(v, datetime.datetime):
            if v.tzinfo is not None:
                raise ValueError("%s, column '%s': the library's dates have no time zone" % (where(i), name))
            texts.append(_date_text(v))
        elif isinstance(v, datetime.date):
            texts.append("%04d-%02d-%02d" % (v.year, v.month, v.day))
        elif isinstance(v, np.datetime64):
            texts.append(str(v.astype("datetime64[s]")))
        else:
            raise ValueError("%s, column '%s': expected a date, got %r" % (where(i), name, v))
    return texts


def _text_texts(series, name, where):
    texts = []
    for i, v in enumerate(series.tolist()):
        if _is_missing(v):
            texts.append("")
        elif isinstance(v, (str, numbers.Integral)) and not isinstance(v, bool):
            texts.append(str(v))
        else:
            raise ValueError("%s, column '%s': expected text, got %r" % (where(i), name, v))
    return texts


def _columns(frame, known, required):
    """The frame's columns by lower-case name; bad or missing ones raise."""
    if not isinstance(frame, pd.DataFrame):
        raise ValueError("expected a pandas DataFrame, got %s" % type(frame).__name__)
    by_name = {}
    for column in frame.columns:
        name = str(column).strip().lower()
        if name not in known:
            raise ValueError("unknown column %r (the columns are: %s)" % (column, ", ".join(known)))
        if name in by_name:
            raise ValueError("column '%s' is named twice" % name)
        by_name[name] = column
    missing = [c for c in required if c not in by_name]
    if missing:
        raise ValueError("missing column%s %s (needed: %s)" % ("s" if len(missing) > 1 else "",
                                                              ", ".join("'%s'" % m for m in missing),
                                                              ", ".join(required)))
    return by_name


def _raise_or_warn(problems, where_row, errors):
    for row, column, well, message, records, warning in problems:
        place = where_row(row) if row >= 0 else "the header"
        if well and "(well" not in place:
            place += " (well '%s')" % well
        text = "%s%s: %s" % (place, ", column '%s'" % column if column else "", message)
        for record in records:
            text += "\n    library log: " + record
        if warning:
            warnings.warn(text, stacklevel=3)
        elif errors == "raise":
            raise ValueError(text)
        else:
            warnings.warn(text + "; the well is left out", stacklevel=3)


def forecast(segments, months=None, *, threads=None, errors="raise"):
    """The monthly forecast of every well in a table of decline segments.

    `segments` has the columns of ``qrvp forecast``'s table (names in any case
    and order): ``well``, ``model``, ``start`` required, ``end``, ``qi``,
    ``qf``, ``di``, ``b``, ``dmin``, ``tau``, ``n``, ``decline_type`` as
    needed, one row per segment, a well's segments in table order.  Dates may
    be datetime64 columns, dates, datetimes or ``YYYY-MM-DD[THH:MM:SS]`` text;
    numbers may be numbers, NaN/None for a blank, or text as the table takes it
    (``"65%"``).  Blanks are solved by the library as the command solves them.

    Returns a DataFrame ``well, date, rate, volume, cumulative``, one row per
    well and month, wells in the order of their first rows: the same numbers
    as ``qrvp forecast --exact``, to the last bit.  `months` caps each well at
    that many months from its first month (an open-ended last segment runs 360
    months without it).  `threads` (default: one per core) forecasts wells in
    parallel; the result does not depend on it.

    A bad column, type or value raises ``ValueError`` naming the row (its index
    label) and the well, followed by the library's own log records when the
    library rejected the segment.  ``errors="skip"`` leaves such wells out
    with a warning instead.
    """
    if errors not in ("raise", "skip"):
        raise ValueError("errors must be 'raise' or 'skip', not %r" % (errors,))
    if months is None:
        months = 0
    elif not isinstance(months, numbers.Integral) or isinstance(months, bool) or not 0 < months < 2**31:
        raise ValueError("months must be a whole number from 1 to 2^31 - 1, not %r" % (months,))
    if threads is None:
        threads = os.cpu_count() or 1
    elif not isinstance(threads, numbers.Integral) or isinstance(threads, bool) or threads <= 0:
        raise ValueError("threads must be a positive whole number, not %r" % (threads,))
    threads = min(threads, 256)

    by_name = _columns(segments, SEGMENT_COLUMNS, ("well", "model", "start"))
    well_values = segments[by_name["well"]].tolist()
    where = _Where(segments, segments[by_name["well"]])
    for i, w in enumerate(well_values):
        if _is_missing(w) or (isinstance(w, str) and not w.strip()):
            raise ValueError("%s, column 'well': the row names no well" % where(i))
    names, texts = [], []
    for name, column in by_name.items():
        series = segments[column]
        if name in _DATE_COLUMNS:
            texts.append(_date_texts(series, name, where))
        elif name in _TEXT_COLUMNS:
            texts.append(_text_texts(series, name, where))
        else:
            texts.append(_number_texts(series, name, where))
        names.append(name)

    out = _qrvpfuncs._forecast(names, texts, int(months), int(threads))
    _raise_or_warn(out["problems"], where, errors)

    # The wells under the caller's own values (a well column of numbers stays
    # numbers), by the text the engine grouped them by.
    original = {}
    for w in well_values:
        original.setdefault(str(w), w)
    labels = np.empty(len(out["wells"]), dtype=object)
    labels[:] = [original.get(w, w) for w in out["wells"]]
    return pd.DataFrame({
        "well": labels[out["well"]],
        "date": out["date"].astype("datetime64[s]").astype("datetime64[ns]"),
        "rate": out["rate"],
        "volume": out["volume"],
        "cumulative": out["cumulative"],
    })
