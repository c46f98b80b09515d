import datetime as dt

import numpy as np
import pytest

import qrvpfuncs as q

START = dt.datetime(2021, 3, 1)
SEGMENTS = [  # vectorised function, one-value call with (date) -> value, parameters
    (q.arps_rate, lambda d, p: q.GetArpsQt(d, START, *p), (1500.0, 1.4, 1.2, 0.07)),
    (q.arps_cumulative, lambda d, p: q.GetArpsVol2(START, d, *p), (1500.0, 1.4, 1.2, 0.07)),
    (q.lintime_rate, lambda d, p: q.GetLinTimQt(d, START, *p), (900.0, 20.0)),
    (q.lintime_cumulative,
     lambda d, p: q.GetLinTimVol(START, d, p[0], q.GetLinTimQt(d, START, *p)), (900.0, 20.0)),
    (q.sedm_cumulative, lambda d, p: q.GetSEDMVol(p[0], START, d, *p[1:]), (700.0, 1.7, 0.4)),
]


def dates_around_the_switch():
    """Random seconds over 30 years, plus every second around the switch to Dmin."""
    rng = np.random.default_rng(7)
    switch = np.datetime64(q.GetArpsDminDate(START, 1.4, 0.07, 1500.0, 1.2), "s")
    spread = np.datetime64(START, "s") + rng.integers(0, 30 * 365 * 86400, 300)
    return np.concatenate([spread, switch + np.arange(-3, 4)])


@pytest.mark.parametrize("vector, one, params", SEGMENTS)
def test_each_value_is_the_one_value_calls_bit_for_bit(vector, one, params):
    dates = dates_around_the_switch()
    got = vector(dates, START, *params)
    assert got.tobytes() == np.array([one(d.item(), params) for d in dates]).tobytes()
    # Years after the start name those dates too, cut to the whole second.
    years = (dates - np.datetime64(START, "s")).astype(float) / 86400 / 365.25
    near = vector(years, START, *params)
    assert ((near == got) | (near == vector(dates - np.timedelta64(1, "s"), START, *params))).all()


def test_rate_and_cumulative_in_one_pass():
    dates = dates_around_the_switch()
    rate, cum = q.arps_rate_cumulative(dates, START, 1500.0, 1.4, 1.2, 0.07)
    assert rate.tobytes() == q.arps_rate(dates, START, 1500.0, 1.4, 1.2, 0.07).tobytes()
    assert cum.tobytes() == q.arps_cumulative(dates, START, 1500.0, 1.4, 1.2, 0.07).tobytes()


def test_units_and_missing_dates():
    s = np.array(["2025-01-01T06:00:00", "NaT", "2040-07-19T00:00:01"], dtype="datetime64[s]")
    ref = q.arps_rate(s.reshape(3, 1), START, 1500.0, 1.4, 1.2, 0.07)
    assert ref.shape == (3, 1) and np.isnan(ref[1, 0]) and not np.isnan(ref).all()
    assert np.array_equal(q.arps_rate(s.astype("datetime64[ns]"), START, 1500.0, 1.4, 1.2, 0.07), ref.ravel(),
                          equal_nan=True)


def test_a_failing_element():
    at = np.array(["2022-01-01", "2020-01-01", "2019-01-01"], dtype="datetime64[D]")
    with pytest.raises(q.LibraryError, match=r"^at\[1\] \(2020-01-01\): GetArpsQt: FindDate \(1/1/2020\) is less"):
        q.arps_rate(at, START, 1500.0, 1.4, 1.2, 0.07)
    assert np.isnan(q.arps_rate(at, START, 1500.0, 1.4, 1.2, 0.07, errors="nan")[1:]).all()
    with pytest.raises(ValueError, match="outside the years"):
        q.arps_rate(np.array([10**17], dtype="datetime64[s]"), START, 1500.0, 1.4, 1.2, 0.07)
