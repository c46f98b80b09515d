import dask.dataframe as dd
import pandas as pd
import pytest
from distributed import Client, LocalCluster

import qrvpfuncs as q
import qrvpfuncs.dask as qd


@pytest.fixture(scope="module")
def client():
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None,
                      host="127.0.0.1") as cluster, \
            Client(cluster) as c:
        yield c


@pytest.fixture(scope="module")
def fleet():
    """Forty wells, each an Arps decline chained into a stretched exponential, rows interleaved."""
    rows = []
    for i in range(40):
        w = "W-%02d" % i
        rows.append((w, "arps", "2024-%02d-01" % (i % 12 + 1), "2027-01-01", 1000.0 + 37 * i, 60.0, 0.9, 8.0, None, None))
        rows.append((w, "sedm", None, "2031-06-01", None, None, None, None, 1.5 + i / 40, 0.5))
    frame = pd.DataFrame(rows, columns=["well", "model", "start", "end", "qi", "di", "b", "dmin", "tau", "n"])
    return frame.iloc[[*range(0, 80, 2), *range(1, 80, 2)]].reset_index(drop=True)


def test_cluster_result_equals_the_single_process_one_row_for_row(client, fleet):
    expected = q.forecast(fleet, 60)
    got = qd.forecast(qd.by_well(fleet, npartitions=5), 60).compute(scheduler=client.get)
    pd.testing.assert_frame_equal(got.reset_index(drop=True), expected, check_exact=True)
    # A Dask frame split without regard to wells is shuffled by well first.
    mixed = qd.forecast(dd.from_pandas(fleet, npartitions=3, sort=False), 60).compute(scheduler=client.get)
    key = ["well", "date"]
    pd.testing.assert_frame_equal(mixed.sort_values(key).reset_index(drop=True),
                                  expected.sort_values(key).reset_index(drop=True), check_exact=True)


def test_bad_well_raises_on_the_client(client, fleet):
    bad = fleet.assign(n=fleet["n"].where(fleet["well"] != "W-07", -1.0))
    with pytest.raises(ValueError, match="well 'W-07'"):
        qd.forecast(bad, 60, npartitions=4).compute(scheduler=client.get)


def test_fit_on_the_cluster_equals_the_single_process_fit(client):
    from test_fit import synthetic
    history = synthetic(24, 36, steepen=0.1)
    assert q._fit.fit(history, model="best", _learn_only=True)[0].endswith(",12,0,stretched\n"), "what must travel"
    segments, report = q.fit(history, model="best", bootstrap=10, report=True)
    got = qd.fit(qd.by_well(history, npartitions=3), model="best", bootstrap=10).compute(scheduler=client.get)
    pd.testing.assert_frame_equal(got.reset_index(drop=True), report, check_exact=True)
    pd.testing.assert_frame_equal(qd.segments(got.reset_index(drop=True)), segments, check_exact=True)


def test_typewell_on_partitions_equals_the_single_process_one(client):
    from test_typewell import fleet
    history, headers = fleet(wells=14)
    # Vintages a few months apart, so the recency weights travel with the partitions' wells.
    history["date"] = [d + pd.DateOffset(months=int(w[2:]) % 5) for d, w in zip(history["date"], history["well"])]
    for recency in (None, 1.0):
        expected = q.typewell(history, headers, by="county", months=48, min_wells=5, recency=recency)
        got = qd.typewell(qd.by_well(history, npartitions=3), headers, by="county", months=48, min_wells=5,
                          recency=recency)
        for a, b in zip(got, expected):
            pd.testing.assert_frame_equal(a.reset_index(drop=True), b, check_exact=True)


def test_totals_on_the_cluster_equal_the_single_process_ones_to_the_bit(client):
    import dask
    from test_fit import groups_of, synthetic
    history = synthetic(12, 30)
    wells = groups_of(history, 4)
    _, totals = q.fit(history, horizon=24, headers=wells, totals="area")
    report, lazy = qd.fit(qd.by_well(history, npartitions=3), horizon=24, headers=wells, totals="area")
    _, got = dask.compute(report, lazy, scheduler=client.get)
    pd.testing.assert_frame_equal(got, totals, check_exact=True)
