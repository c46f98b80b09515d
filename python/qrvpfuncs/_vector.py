"""Rates and cumulative volumes of one segment over an array of dates or years."""
import numpy as np

from . import _qrvpfuncs

# Seconds per tick of the linear datetime64 units, as a fraction (mul, div).
_UNITS = {"W": (604800, 1), "D": (86400, 1), "h": (3600, 1), "m": (60, 1), "s": (1, 1), "ms": (1, 1000),
          "us": (1, 1000000), "ns": (1, 1000000000)}


def _evaluate(model, quantity, at, start, errors, qi, di=0.0, b=0.0, dmin=0.0, tau=0.0, n=0.0):
    if errors not in ("raise", "nan"):
        raise ValueError("errors must be 'raise' or 'nan', not %r" % (errors,))
    a = np.asarray(at)
    if a.dtype.kind == "O":
        try:
            a = a.astype("datetime64[s]")
        except (TypeError, ValueError) as e:
            raise ValueError("at: expected datetime64 dates or numbers of years (%s)" % e) from None
    if a.dtype.kind == "M":
        unit, count = np.datetime_data(a.dtype)
        if unit not in _UNITS:
            a, unit, count = a.astype("datetime64[s]"), "s", 1
        mul, div = _UNITS[unit]
        if div == 1:
            mul *= count
        elif div % count == 0:
            div //= count
        else:
            a, mul, div = a.astype("datetime64[s]"), 1, 1
        ticks = np.ascontiguousarray(a).view(np.int64).ravel()
        out = _qrvpfuncs._values(model, quantity, ticks, mul, div, None, start, qi, di, b, dmin, tau, n,
                                 errors == "nan")
    elif a.dtype.kind in "fiu":
        years = np.ascontiguousarray(a, dtype=np.float64).ravel()
        out = _qrvpfuncs._values(model, quantity, None, 1, 1, years, start, qi, di, b, dmin, tau, n,
                                 errors == "nan")
    else:
        raise ValueError("at: expected datetime64 dates or numbers of years, got an array of %s" % a.dtype)
    if quantity == "both":
        return out[:a.size].reshape(a.shape), out[a.size:].reshape(a.shape)
    return out.reshape(a.shape)


_DOC = """{what} of {model} segment starting at `start` at each element of `at`.

`at` is an array (any shape) of ``datetime64`` dates, or of numbers: years after
`start` (each becomes ``start`` moved by ``years * 365.25`` days, to the whole
second).  NaT and NaN give NaN.  Each value is exactly ``{call}``'s for that
date.  A failing element raises :class:`LibraryError` naming the first one
(``errors="raise"``), or gives NaN (``errors="nan"``).
"""


def arps_rate(at, start, Qi, Di, b=0.0, Dmin=0.0, *, errors="raise"):
    return _evaluate("arps", "rate", at, start, errors, Qi, di=Di, b=b, dmin=Dmin)


def arps_cumulative(at, start, Qi, Di, b=0.0, Dmin=0.0, *, errors="raise"):
    return _evaluate("arps", "cumulative", at, start, errors, Qi, di=Di, b=b, dmin=Dmin)


def arps_rate_cumulative(at, start, Qi, Di, b=0.0, Dmin=0.0, *, errors="raise"):
    return _evaluate("arps", "both", at, start, errors, Qi, di=Di, b=b, dmin=Dmin)


def lintime_rate(at, start, Qi, Di, *, errors="raise"):
    return _evaluate("lintime", "rate", at, start, errors, Qi, di=Di)


def lintime_cumulative(at, start, Qi, Di, *, errors="raise"):
    return _evaluate("lintime", "cumulative", at, start, errors, Qi, di=Di)


def sedm_rate(at, start, Qi, tau, n, *, errors="raise"):
    return _evaluate("sedm", "rate", at, start, errors, Qi, tau=tau, n=n)


def sedm_cumulative(at, start, Qi, tau, n, *, errors="raise"):
    return _evaluate("sedm", "cumulative", at, start, errors, Qi, tau=tau, n=n)


arps_rate.__doc__ = _DOC.format(what="The rate", model="an Arps", call="GetArpsQt(date, start, Qi, Di, b, Dmin)")
arps_cumulative.__doc__ = _DOC.format(what="The volume since the start", model="an Arps",
                                      call="GetArpsVol2(start, date, Qi, Di, b, Dmin)")
lintime_rate.__doc__ = _DOC.format(what="The rate", model="a linear-with-time",
                                   call="GetLinTimQt(date, start, Qi, Di)")
lintime_cumulative.__doc__ = _DOC.format(what="The volume since the start", model="a linear-with-time",
                                         call="GetLinTimVol(start, date, Qi, GetLinTimQt(date, start, Qi, Di))")
sedm_rate.__doc__ = _DOC.format(what="The rate", model="a stretched-exponential",
                                call="GetSEDMQt(Qi, start, date, tau, n)")
sedm_cumulative.__doc__ = _DOC.format(what="The volume since the start", model="a stretched-exponential",
                                      call="GetSEDMVol(Qi, start, date, tau, n)")
arps_rate_cumulative.__doc__ = _DOC.format(
    what="The rate and the volume since the start (a pair of arrays, one pass)", model="an Arps",
    call="GetArpsQt(date, start, Qi, Di, b, Dmin)"
) + "The volumes are GetArpsVol2(start, date, Qi, Di, b, Dmin)'s.\n"
