import datetime as dt

import numpy as np
import pandas as pd
import pytest

import qrvpfuncs as q
from conftest import c_call

S, E = (2020, 1, 1), (2031, 6, 15, 12, 30, 5)
CASES = [  # name, args (tuples are dates), in the library's order
    ("GetArpsQt", E, S, 1000.0, 1.2, 1.1, 0.08),
    ("GetArpsVol2", S, E, 1000.0, 1.2, 1.1, 0.08),
    ("GetArpsYears", 1000.0, 50.0, 1.0, 1.0, 0.1),
    ("GetLinTimQt", E, S, 500.0, 20.0),
    ("GetSEDMVol", 800.0, S, E, 2.5, 0.45),
    ("GetLogCum", 100.0, 40.0, 5.0, 50.0, 0.0, 80.0),
    ("NomToSecEff", 0.7, 1.3),
    ("GetArpsQt", S, E, 1000.0, 1.2, 1.1, 0.08),   # fails: FindDate before StartDate
    ("GetArpsYearsVol", 0.0, 100.0, 1.0, 1.0, 0.1),  # fails
]


def to_py(a):
    return dt.datetime(*a) if isinstance(a, tuple) else a


@pytest.mark.parametrize("case", CASES, ids=lambda c: c[0])
def test_agrees_with_the_c_library_bit_for_bit(clib, case):
    name, *args = case
    status, expected = c_call(clib, name, *args)
    if status == 0:
        assert np.array_equal(getattr(q, name)(*map(to_py, args)), expected, equal_nan=True)
    else:
        with pytest.raises(q.LibraryError) as e:
            getattr(q, name)(*map(to_py, args))
        assert e.value.function == name and isinstance(e.value, ValueError)


def test_failure_carries_the_log_record_exactly():
    with pytest.raises(q.LibraryError) as e:
        q.GetArpsQt("2019-01-01", "2020-01-01", 100.0, 0.5, 0.0, 0.0)
    assert str(e.value) == "GetArpsQt: FindDate (1/1/2019) is less than StartDate (1/1/2020)"
    assert len(e.value.records) == 1 and e.value.records[0].startswith("GetArpsQt (source line ")
    with pytest.raises(q.LibraryError, match="failed without a log record"):
        q.TanEffToNom(1.5)  # a silent failure


def test_every_form_of_date_is_the_same_date():
    forms = [dt.datetime(2031, 6, 15, 12, 30, 5), "2031-06-15T12:30:05", (2031, 6, 15, 12, 30, 5),
             np.datetime64("2031-06-15T12:30:05.750"), pd.Timestamp("2031-06-15 12:30:05.2")]
    values = {q.GetArpsQt(f, dt.date(2020, 1, 1), 1000.0, 1.2, 1.1, 0.08) for f in forms}
    assert len(values) == 1


@pytest.mark.parametrize("bad", ["2031-13-45x", 3.5, None, dt.datetime(2031, 1, 1, tzinfo=dt.timezone.utc),
                                 np.datetime64("NaT"), (2031, 1)])
def test_what_is_no_date_raises_value_error(bad):
    with pytest.raises((ValueError, TypeError)):
        q.GetArpsQt(bad, "2020-01-01", 1000.0, 1.2, 1.1, 0.08)


def test_in_place_and_record_results():
    qi, di, b, dmin, qf, end = q.ValidateArps("2020-01-01", 1000.0, 0.0, 1.0, 0.1, 100.0, "2030-01-01")
    assert q.GetArpsQt(end, "2020-01-01", qi, di, b, dmin) == pytest.approx(qf, rel=1e-6)
    seg = q.BendArpsSegment(1000.0, "2020-01-01", 400.0, "2022-01-01", 100.0, "2030-01-01", 0.0)
    assert seg["EndDate"] == dt.datetime(2030, 1, 1) and 0.0 < seg["b"] < 9.0
