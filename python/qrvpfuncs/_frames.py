"""DataFrame calls: the segment table to its monthly forecast."""
import datetime
import math
import numbers
import os
import warnings

import numpy as np
import pandas as pd

from . import _qrvpfuncs

# The tables' columns as the fleet layer defines them: (name, kind, required).
SEGMENT_COLUMNS = _qrvpfuncs.SEGMENT_COLUMNS
FORECAST_COLUMNS = _qrvpfuncs.FORECAST_COLUMNS


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


def _columns(frame, table):
    """The frame's columns by lower-case name, each with its kind; an unknown
    or twice-named column raises (the fleet layer reports missing ones)."""
    if not isinstance(frame, pd.DataFrame):
        raise ValueError("expected a pandas DataFrame, got %s" % type(frame).__name__)
    kinds = {name: kind for name, kind, _ in table}
    by_name = {}
    for column in frame.columns:
        name = str(column).strip().lower()
        if name not in kinds:
            raise ValueError("unknown column %r (the columns are: %s)" % (column, ", ".join(kinds)))
        if name in by_name:
            raise ValueError("column '%s' is named twice" % name)
        by_name[name] = (column, kinds[name])
    return by_name


_TEXTS = {"date": _date_texts, "text": _text_texts, "number": _number_texts}


def _table_texts(frame, table):
    """The frame as the fleet layer reads a table: its column names and each
    column as text; and the namer of its rows for messages."""
    by_name = _columns(frame, table)
    wells = frame[by_name["well"][0]] if "well" in by_name else pd.Series([None] * len(frame), index=frame.index)
    where = _Where(frame, wells)
    names = list(by_name)
    texts = [_TEXTS[kind](frame[column], name, where) for name, (column, kind) in by_name.items()]
    return names, texts, where, wells.tolist()


def _labels(well_values, names):
    """The wells under the caller's own values (a well column of numbers stays
    numbers), by the text the fleet layer grouped them by."""
    original = {}
    for w in well_values:
        original.setdefault(str(w), w)
    labels = np.empty(len(names), dtype=object)
    labels[:] = [original.get(w, w) for w in names]
    return labels


def _raise_or_warn(problems, where_row, errors):
    for row, column, well, message, records, warning, fatal in problems:
        place = where_row(row) if row >= 0 else "the header"
        if well and "(well" not in place:
            place += " (well '%s')" % well
        text = "%s%s: %s" % (place, ", column '%s'" % column if column else "", message)
        for record in records:
            text += "\n    library log: " + record
        if warning:
            warnings.warn(text, stacklevel=3)
        elif errors == "raise" or fatal:
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

    names, texts, where, well_values = _table_texts(segments, SEGMENT_COLUMNS)
    out = _qrvpfuncs._forecast(names, texts, int(months), int(threads))
    _raise_or_warn(out["problems"], where, errors)

    labels = _labels(well_values, out["wells"])
    return pd.DataFrame({
        "well": labels[out["well"]],
        "date": out["date"].astype("datetime64[s]").astype("datetime64[ns]"),
        "rate": out["rate"],
        "volume": out["volume"],
        "cumulative": out["cumulative"],
    })
