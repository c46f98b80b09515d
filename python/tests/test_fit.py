import io
import subprocess

import numpy as np
import pandas as pd
import pytest

import qrvpfuncs as q

VOLVE = __file__.rsplit("/python/", 1)[0] + "/bench/data/volve_oil_monthly.csv"


@pytest.fixture(scope="module")
def volve():
    return pd.read_csv(VOLVE, comment="#")


def read(text, dates):
    return pd.read_csv(io.StringIO(text), float_precision="round_trip", parse_dates=dates)


def test_fit_is_qrvp_fit_to_the_bit(qrvp_bin, volve, tmp_path):
    run = subprocess.run([qrvp_bin, "fit", VOLVE, "--bootstrap", "20", "--model", "hyperbolic", "--half-life", "6",
                          "--report", str(tmp_path / "r.csv")], check=True, capture_output=True, text=True)
    segments, report = q.fit(volve, bootstrap=20, model="hyperbolic", half_life=6, report=True)
    pd.testing.assert_frame_equal(segments, read(run.stdout, ["start", "end"]), check_exact=True, check_dtype=False)
    expected = read((tmp_path / "r.csv").read_text(), ["fit_start", "curve_start", "history_end", "limit_date",
                                                         "regime_start"])
    counts = {c: "int64" for c in ("periods_used", "iterations", "bootstrap_used", "regime_changes")}
    pd.testing.assert_frame_equal(report.astype(counts), expected, check_exact=True, check_dtype=False)


def synthetic(wells, months, seed=3, steepen=0.0):
    """Arps wells from the library's own volumes with log-normal noise, steepening by `steepen` after a third."""
    rng = np.random.default_rng(seed)
    dates = np.arange("2015-01", np.datetime64("2015-01") + months + 1, dtype="datetime64[M]").astype("datetime64[s]")
    frames = []
    for i in range(wells):
        cum = q.arps_cumulative(dates, dates[0], rng.uniform(500, 5000), rng.uniform(0.3, 2.0), rng.uniform(0, 1.5))
        noisy = np.diff(cum) * rng.lognormal(0.0, 0.1, months) * np.exp(-steepen * np.maximum(np.arange(months) - months // 3, 0))
        frames.append(pd.DataFrame({"well": "S-%d" % i, "date": dates[:-1], "volume": noisy}))
    return pd.concat(frames, ignore_index=True)


@pytest.mark.parametrize("change, message", [
    (lambda h: h.assign(volume=h["volume"].where(h.index != 2, np.inf)), r"row 2 \(well 'S-0'\): .*column 'volume'"),
    (lambda h: h.assign(date=h["date"].astype(str).where(h.index != 4, "2015-02-30")), r"row 4 .*bad date"),
])
def test_bad_histories_name_row_and_well(change, message):
    with pytest.raises(ValueError, match=message):
        q.fit(change(synthetic(2, 24)), bootstrap=0)


def test_skip_reports_the_unfitted_well():
    history = synthetic(3, 24)
    history.loc[history["well"] == "S-1", "volume"] = -1.0
    with pytest.warns(UserWarning, match="1 of 3 wells not fitted"):
        segments, report = q.fit(history, bootstrap=0, errors="skip", report=True)
    assert segments["well"].tolist() == ["S-0", "S-2"] and report["status"].tolist() == ["ok", "failed", "ok"]


def groups_of(history, size):
    names = history["well"].unique()
    return pd.DataFrame({"well": names, "area": ["A%d" % (i // size) for i in range(len(names))]})


def test_totals_from_the_fit_equal_those_from_its_report():
    history = synthetic(12, 30)
    wells = groups_of(history, 4)
    segments, report, totals = q.fit(history, horizon=24, headers=wells, totals="area", report=True)
    assert list(totals["group"]) == ["A0", "A1", "A2"] and list(totals["wells"]) == [4, 4, 4]
    assert (totals["rho_pairs"] > 0).all() and totals["rho"].between(0, 1).all()
    again = q.totals(report, wells, "area", rho=totals["rho"].iloc[0])
    pd.testing.assert_frame_equal(again.drop(columns="rho_pairs"), totals.drop(columns="rho_pairs"), check_exact=True)
    assert ((totals["p90"] >= totals["sum_p90"]) & (totals["p10"] <= totals["sum_p10"])).all()

