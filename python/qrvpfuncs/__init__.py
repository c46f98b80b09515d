"""QRVPFuncs for Python: the decline-curve library's exact calculations.

* The library's calculations one value at a time, under their own names and
  with their arguments in the library's order (``GetArpsQt(FindDate,
  StartDate, Qi, Di, b, Dmin)``); a status of -1 raises :class:`LibraryError`
  (a ``ValueError``) carrying the message of the record the library wrote.
* Rates and cumulative volumes of one segment over a NumPy array of dates
  (``datetime64``) or of years after the segment's start, in one C++ loop
  without the GIL: :func:`arps_rate`, :func:`arps_cumulative`, :func:`arps_rate_cumulative`,
  :func:`lintime_rate`, :func:`lintime_cumulative`, :func:`sedm_rate`,
  :func:`sedm_cumulative`.
* :func:`forecast`: a table of decline segments (a DataFrame with the columns of
  ``qrvp forecast``'s table) to its monthly forecast, the same numbers as
  ``qrvp forecast`` to the last digit.
* :func:`fit`: production histories (well, date, volume[, days_on]) to the
  segment table ``qrvp fit`` writes, and its report, by the fitting library;
  with ``totals=`` the P90/P50/P10 of groups' totals (:func:`totals`).
* :func:`typewell`: the P90/P50/P10 type well of groups of wells, each filled
  with its own forecast, as ``qrvp typewell``.

Dates are whole seconds: finer parts are dropped.  While the package is in use
the library's diagnostic log is routed into a private temporary file from the
first failure on, so that the record of a failing call can be shown.
"""
from ._qrvpfuncs import *  # noqa: F401,F403  (the one-value calculations)
from ._qrvpfuncs import LibraryError
from ._vector import (arps_cumulative, arps_rate, arps_rate_cumulative, lintime_cumulative, lintime_rate,
                      sedm_cumulative, sedm_rate)
from ._fit import fit, totals
from ._frames import forecast
from ._typewell import typewell

__all__ = ["LibraryError", "arps_rate", "arps_cumulative", "arps_rate_cumulative", "lintime_rate", "lintime_cumulative", "sedm_rate",
           "sedm_cumulative", "forecast", "fit", "typewell", "totals"]
__version__ = "3.1.13"
