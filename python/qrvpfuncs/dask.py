"""Fleet-scale runs on Dask: the package's table calls mapped over the
partitions of a Dask DataFrame whose partitions each hold whole wells.

The same code runs on one machine and on a cluster; only the client differs::

    from distributed import Client, LocalCluster
    client = Client(LocalCluster(n_workers=2, threads_per_worker=1))   # this machine
    # client = Client("tcp://scheduler:8786")                           # a cluster

    import qrvpfuncs.dask as qd
    monthly = qd.forecast(qd.by_well(segments, npartitions=8)).compute()

Every worker needs the package installed (the same build) and nothing else:
each partition is forecast in its worker's process by :func:`qrvpfuncs.forecast`
(fitted by :func:`qrvpfuncs.fit`; its wells filled for :func:`typewell`).
"""
import dask.dataframe as dd
import numpy as np
import pandas as pd

from . import _fit, _frames, _qrvpfuncs, _typewell

_ROW = "_qrvp_row"


def by_well(frame, npartitions=None, *, well="well", partition_rows=50000):
    """A Dask DataFrame of `frame` with each well's rows in one partition.

    For a pandas DataFrame the wells stay in the order of their first rows and
    each well's rows in table order, so a result computed from it is row for
    row the single-process one.  `npartitions` defaults to one partition per
    `partition_rows` rows.  A Dask DataFrame is shuffled by well instead (its
    rows keep their order within each well; the wells come out grouped by
    partition).
    """
    if isinstance(frame, dd.DataFrame):
        ordered = frame.assign(**{_ROW: 1})
        ordered[_ROW] = ordered[_ROW].cumsum()
        shuffled = ordered.shuffle(on=_well_column(frame, well), npartitions=npartitions)
        return shuffled.map_partitions(_restore_order, meta=frame._meta.rename_axis(_ROW))
    if not isinstance(frame, pd.DataFrame):
        raise ValueError("expected a pandas or Dask DataFrame, got %s" % type(frame).__name__)
    column = _well_column(frame, well)
    codes, uniques = pd.factorize(frame[column].astype(str), sort=False)
    if (codes < 0).any():
        raise ValueError("row %r, column 'well': the row names no well" % (frame.index[int(np.argmin(codes))],))
    if npartitions is None:
        npartitions = max(1, -(-len(frame) // partition_rows))
    npartitions = max(1, min(int(npartitions), len(uniques)))
    order = np.argsort(codes, kind="stable")
    grouped = frame.iloc[order].reset_index(drop=True)
    # The well's ordinal as the index: equal values never straddle partitions.
    grouped.index = pd.Index(codes[order], name=_ROW)
    return dd.from_pandas(grouped, npartitions=npartitions, sort=True)


def _restore_order(part):
    return part.sort_values(_ROW, kind="stable").set_index(_ROW)


def _well_column(frame, well):
    for column in frame.columns:
        if str(column).strip().lower() == well:
            return column
    raise ValueError("missing column '%s'" % well)


def _partitioned(frame, npartitions, partitioned=False):
    if isinstance(frame, pd.DataFrame):
        return by_well(frame, npartitions)
    if isinstance(frame, dd.DataFrame):
        return frame if partitioned or frame.index.name == _ROW else by_well(frame, npartitions)
    raise ValueError("expected a pandas or Dask DataFrame, got %s" % type(frame).__name__)


def _forecast_partition(part, months, errors):
    return _frames.forecast(part.reset_index(drop=True), months, threads=1, errors=errors)


def forecast(segments, months=None, *, npartitions=None, errors="raise", partitioned=False):
    """:func:`qrvpfuncs.forecast` over a Dask DataFrame, one task per partition.

    `segments` is a pandas or Dask DataFrame of segments; one not made by
    :func:`by_well` is first partitioned by it, unless `partitioned` says that
    each partition already holds whole wells (a file per block of wells read
    with ``dd.read_csv(..., blocksize=None)``).  Returns a lazy Dask DataFrame
    of ``well, date, rate, volume, cumulative``; ``.compute()`` gathers it.
    """
    frame = _partitioned(segments, npartitions, partitioned)
    meta = pd.DataFrame({"well": pd.Series(dtype=object), "date": pd.Series(dtype="datetime64[ns]"),
                         "rate": pd.Series(dtype=float), "volume": pd.Series(dtype=float),
                         "cumulative": pd.Series(dtype=float)})
    return frame.map_partitions(_forecast_partition, months, errors, meta=meta, align_dataframes=False)


def _fit_partition(part, options):
    segments, report = _fit.fit(part.reset_index(drop=True), threads=1, report=True, **options)
    return report


def fit(history, *, npartitions=None, partitioned=False, **options):
    """:func:`qrvpfuncs.fit` over a Dask DataFrame, one task per partition.

    `history` (``well, date, volume[, days_on]``) is a pandas or Dask
    DataFrame; one not made by :func:`by_well` is first partitioned by it
    unless `partitioned` (as for :func:`forecast`).
    Returns a lazy Dask DataFrame of the fit report (``qrvp fit --report``'s
    columns, one row per well); :func:`segments` turns a computed report into
    the segment table.  The options are :func:`qrvpfuncs.fit`'s (``errors``
    included: with ``"skip"`` the report says which wells failed and why).
    With ``totals=COLUMN`` and ``headers=HEADERS`` (and a ``horizon``) the pair
    (report, totals), totals a ``dask.delayed`` of the group totals table
    (``dask.compute(report, totals)`` computes both in one pass), equal to
    the single process's to the bit: rho is learned in the first pass from the
    same sample's backtests, and each group's draws follow its wells' names.
    """
    if "report" in options or "threads" in options:
        raise ValueError("the Dask fit always reports, one thread per task")
    by, headers, rho = options.pop("totals", None), options.pop("headers", None), options.pop("rho", None)
    if by is not None and (headers is None or not options.get("horizon")):
        raise ValueError("totals need the well headers (headers=) and a horizon")
    frame = _partitioned(history, npartitions, partitioned)
    options, dependence = _with_fleet_evidence(frame, options, None if by is None else (by, headers, rho))
    meta = _fit_partition(_fit_meta_history(frame._meta), options)
    report = frame.map_partitions(_fit_partition, options, meta=meta, align_dataframes=False)
    if by is None:
        return report
    import dask
    rho = dependence[0] if rho is None else rho
    total = dask.delayed(_totals_of, pure=True)(report, headers, by, rho, dependence[1] if dependence else 0,
                                                options.get("seed", 1))
    return report, total


def _totals_of(report, headers, by, rho, pairs, seed):
    out = _fit.totals(report, headers, by, rho=rho, seed=seed)
    out.loc[out["message"].isna(), "rho_pairs"] = pairs
    return out


def _with_fleet_evidence(frame, options, totals=None):
    """The options with the fleet's prior and calibration, learned as one
    process learns them (from the same sample of wells, chosen by name), in a
    first pass: the sample's rows come to this process, the partitions then
    fit with what it taught; with `totals` (column, headers, rho) also the
    dependence (rho, pairs) of its backtests."""
    learn_rho = totals is not None and totals[2] is None
    if options.get("prior") is not None and options.get("calibration") is not None and not learn_rho:
        return options, None
    wells = frame["well"].astype(str).str.strip()
    total = int(wells.nunique().compute())

    def sample(part):
        names = part["well"].astype(str).str.strip().tolist()
        return part[np.array(_qrvpfuncs._in_sample(names, total), dtype=bool)]

    rows = frame.map_partitions(sample, meta=frame._meta).compute().reset_index(drop=True)
    learn = {k: v for k, v in options.items() if k != "errors"}
    if learn_rho:
        learn.update(totals=totals[0], headers=totals[1])
    prior, calibration, dependence = _fit.fit(rows, threads=1, _fleet_size=total, _learn_only=True, **learn)
    out = dict(options)
    if not options.get("no_prior") and out.get("prior") is None:
        out["prior"] = prior
    if out.get("calibration") is None:
        out["calibration"] = calibration
    return out, (dependence if learn_rho else None)


def _fit_meta_history(meta):
    """A one-well history that fits, with the frame's columns, for the result's layout."""
    dates = pd.date_range("2000-01-01", periods=6, freq="MS")
    sample = {"well": ["meta"] * 6, "date": dates, "volume": [1000.0, 900, 810, 729, 656.1, 590.49],
              "days_on": [31.0, 29, 31, 30, 31, 30]}
    return pd.DataFrame({c: sample[str(c).strip().lower()] for c in meta.columns})


def segments(report):
    """The segment table of a computed fit report (its wells that were fitted), as
    :func:`qrvpfuncs.fit` returns it."""
    ok = report[report["status"] == "ok"].reset_index(drop=True)

    def seconds(column):
        return ok[column].to_numpy().astype("datetime64[s]").view(np.int64)

    wells = ok["well"].to_numpy(dtype=object)
    out = _qrvpfuncs._fitted_segments([str(w) for w in wells], ok["model"].tolist(), seconds("curve_start"),
                                      seconds("limit_date"),
                                      *[ok[c].to_numpy(dtype=float) for c in ("qi", "di", "b", "dmin", "tau", "n")])
    return _fit._frame(out, _qrvpfuncs.SEGMENT_COLUMNS, wells)


def _typewell_partition(part, headers, options, total):
    out = _typewell._fill(part.reset_index(drop=True), headers, threads=1, fleet_size=total, **options)
    wells = _typewell._wells_frame(out)
    volumes = pd.DataFrame(out["volumes"], columns=["m%d" % m for m in range(out["volumes"].shape[1])])
    return pd.concat([wells, volumes], axis=1)


def typewell(history, headers=None, *, npartitions=None, partitioned=False, by=None, per=None, align="first",
             spread="cumulative", months=360, min_wells=10, start=None, model=None, prior=None, calibration=None,
             errors="raise", recency=None):
    """:func:`qrvpfuncs.typewell` with the wells fitted and filled on Dask
    partitions (one task per partition, the fleet's prior and calibration
    learned first from the same sample as one process learns them), and the
    filled wells gathered here into the type wells: the same
    :class:`~qrvpfuncs.TypeWells` as one process gives.  `headers` (a
    DataFrame or a CSV file) goes whole to every task."""
    frame = _partitioned(history, npartitions, partitioned)
    if headers is not None and not isinstance(headers, pd.DataFrame):
        headers = pd.read_csv(headers, dtype=str, keep_default_na=False)
    evidence, _ = _with_fleet_evidence(frame, {"model": model, "prior": prior, "calibration": calibration})
    total = int(frame["well"].astype(str).str.strip().nunique().compute())
    options = {"by": by, "per": per, "months": months, "align": align, "model": model,
               "prior": evidence["prior"], "calibration": evidence["calibration"]}
    meta = _typewell_partition(_fit_meta_history(frame._meta), None, dict(options, by=None, per=None), 1)
    filled = frame.map_partitions(_typewell_partition, headers, options, total, meta=meta,
                                  align_dataframes=False).compute().reset_index(drop=True)
    columns = ["m%d" % m for m in range(int(months))]
    wells = filled.drop(columns=columns)
    return _typewell._build(wells, filled[columns].to_numpy(dtype=float), spread, min_wells, start, errors,
                            recency)
