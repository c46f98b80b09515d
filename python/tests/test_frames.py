import io
import subprocess

import numpy as np
import pandas as pd
import pytest

import qrvpfuncs as q


@pytest.fixture(scope="module")
def example(qrvp_bin):
    text = subprocess.run([qrvp_bin, "example"], check=True, capture_output=True, text=True).stdout
    return pd.read_csv(io.StringIO(text), comment="#", float_precision="round_trip")


def qrvp_forecast(qrvp_bin, table, *args):
    run = subprocess.run([qrvp_bin, "forecast", "-", "--exact", *args], input=table.to_csv(index=False),
                         capture_output=True, text=True)
    return pd.read_csv(io.StringIO(run.stdout), float_precision="round_trip", parse_dates=["date"])


@pytest.mark.parametrize("months", [None, 7])
def test_forecast_is_qrvp_forecast_to_the_bit(qrvp_bin, example, months):
    expected = qrvp_forecast(qrvp_bin, example, *(["--months", str(months)] if months else []))
    got = q.forecast(example, months, threads=2)
    assert list(got.columns) == ["well", "date", "rate", "volume", "cumulative"]
    assert len(got) == len(expected) > 0
    pd.testing.assert_frame_equal(got, expected, check_exact=True, check_dtype=False)


def test_typed_columns_round_trip(example):
    typed = example.copy()
    typed["start"] = pd.to_datetime(typed["start"])
    typed["end"] = pd.to_datetime(typed["end"])
    typed.columns = [c.upper() for c in typed.columns]
    typed["DI"] = [f"{v}%" if v == v else None for v in example["di"]]
    expected = q.forecast(example, threads=1)
    pd.testing.assert_frame_equal(q.forecast(typed), expected, check_exact=True)


BAD = [  # change to the example, then what the message must say
    (lambda t: t.drop(columns="start"), r"missing column 'start'"),
    (lambda t: t.assign(Qi_typo=1.0), r"unknown column 'Qi_typo'"),
    (lambda t: t.assign(qi=[12000, "x", None, 20000, None]), r"row 1 \(well 'Birch-2'\), column 'qi': 'x' is not"),
    (lambda t: t.assign(start=pd.to_datetime(t["start"]).dt.tz_localize("UTC")), r"no time zone"),
    (lambda t: t.assign(well=["Ash-1", None, "Birch-2", "Cedar-3", "Cedar-3"]), r"row 1, column 'well': the row"),
    (lambda t: t.assign(qi=[0.0, 3000, None, 20000, None], qf=[100.0, 4500, 300, None, None],
                        di=[None, None, 30, None, 12]),
     r"row 0 \(well 'Ash-1'\), column 'qi': GetArpsDi rejected .*\n    library log: GetArpsDi \(source line \d+\): "
     r"Invalid parameters: Qi \(0.000000\)"),
]


@pytest.mark.parametrize("change, message", BAD)
def test_bad_tables_raise_value_error_naming_row_and_well(example, change, message):
    with pytest.raises(ValueError, match=message):
        q.forecast(change(example))


def test_skip_leaves_the_bad_well_out(example):
    bad = example.assign(model=["arps", "lintime", "arps", "sedm", "spline"])
    with pytest.warns(UserWarning, match="row 4 .*unknown model 'spline'"):
        got = q.forecast(bad, errors="skip")
    assert got["well"].unique().tolist() == ["Ash-1", "Birch-2"]
