import io
import subprocess
import warnings

import numpy as np
import pandas as pd
import pytest

import qrvpfuncs as q


def fleet(wells=12, months=30, seed=5):
    """Arps wells of the library's own volumes with noise; headers with a county and a lateral."""
    rng = np.random.default_rng(seed)
    dates = np.arange("2015-01", np.datetime64("2015-01") + months + 1, dtype="datetime64[M]").astype("datetime64[s]")
    frames, rows = [], []
    for i in range(wells):
        cum = q.arps_cumulative(dates, dates[0], rng.uniform(2000, 9000), rng.uniform(0.5, 2.0), rng.uniform(0.5, 1.5))
        n = months - i
        frames.append(pd.DataFrame({"well": "T-%d" % i, "date": dates[:n],
                                    "volume": np.diff(cum)[:n] * rng.lognormal(0.0, 0.05, n)}))
        rows.append(("T-%d" % i, "EAST" if i % 2 else "WEST", 5000.0 + 500 * i))
    return pd.concat(frames, ignore_index=True), pd.DataFrame(rows, columns=["well", "county", "lateral_length_ft"])


@pytest.mark.parametrize("recency", [None, 0.5])
def test_typewell_is_qrvp_typewell_to_the_bit(qrvp_bin, tmp_path, recency):
    history, headers = fleet()
    if recency:  # well T-i starts i months later, so the weights differ
        history["date"] = [d + pd.DateOffset(months=int(w[2:])) for d, w in zip(history["date"], history["well"])]
    history.to_csv(tmp_path / "h.csv", index=False, float_format="%.17g")
    headers.to_csv(tmp_path / "w.csv", index=False)
    run = subprocess.run([qrvp_bin, "typewell", str(tmp_path / "h.csv"), "--headers", str(tmp_path / "w.csv"),
                          "--by", "county", "--per", "lateral_length_ft=10000", "--min-wells", "5", "--months", "60",
                          "--summary", str(tmp_path / "s.csv"), "--segments", str(tmp_path / "g.csv")]
                         + (["--recency", str(recency)] if recency else []), check=True, capture_output=True, text=True)
    got = q.typewell(history, headers, by="county", per="lateral_length_ft=10000", min_wells=5, months=60,
                     recency=recency)
    read = lambda path, **kw: pd.read_csv(path, float_precision="round_trip", **kw)
    pd.testing.assert_frame_equal(got.profile, read(io.StringIO(run.stdout)),
                                  check_exact=True)
    pd.testing.assert_frame_equal(got.summary, read(tmp_path / "s.csv", dtype={"p50_well": object}), check_exact=True)
    pd.testing.assert_frame_equal(got.segments, read(tmp_path / "g.csv", parse_dates=["start", "end"]),
                                  check_exact=True, check_dtype=False)
    assert list(got.wells["group"][:2]) == ["WEST", "EAST"] and got.wells["problem"].isna().all()


@pytest.mark.parametrize("change, kwargs, message", [
    (lambda h: h.assign(lateral_length_ft=h["lateral_length_ft"].astype(object).where(h.index != 4, "long")),
     {"per": "lateral_length_ft=1"}, r"^headers row 4: column 'lateral_length_ft', well 'T-4': 'long' is not a number$"),
    (lambda h: h, {"per": "lateral_length_ft"}, r"^per must be 'COLUMN=UNIT'"),
    (lambda h: h, {"align": "last"}, r"^align must be 'first' or 'peak'"),
    (lambda h: h, {"recency": -1}, r"^recency must be a number of years above 0"),
])
def test_bad_input_is_named(change, kwargs, message):
    history, headers = fleet()
    with pytest.raises(ValueError, match=message):
        q.typewell(history, change(headers), months=24, **kwargs)


def test_skipped_group_and_left_out_well_are_named():
    history, headers = fleet()
    headers.loc[2, "county"] = None
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        got = q.typewell(history, headers, by="county", months=24, min_wells=6, errors="skip")
    texts = [str(w.message) for w in caught]
    assert texts == ["well 'T-2' is left out: its 'county' is blank in the well headers",
                     "group 'WEST' has 5 wells; a type well needs at least 6; the group is left out"]
    assert list(got.summary["group"]) == ["EAST"] and got.summary["wells"][0] == 6
