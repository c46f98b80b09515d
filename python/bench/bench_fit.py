"""Fits of many synthetic wells, one process against a LocalCluster, in one run.

Each well is an Arps curve (b from 0 to 1.5) with a random switch-free decline,
120 months of volumes from the library's own cumulative volumes times
log-normal noise, a month in twenty shut in.  Measured:

* ``qrvpfuncs.fit`` in this process on one thread (the per-well cost);
* ``qrvpfuncs.dask.fit`` on a LocalCluster of `--workers` worker processes of
  one thread each, the history partitioned by well and already held by the
  workers (``persist``), so the time is the fits and the scheduling;
* the scheduler's own cost: the same partitions mapped through a task that
  does nothing.

Not a test.  ``python bench_fit.py --wells 100000`` (about 4 minutes here).
"""
import argparse
import time

import numpy as np
import pandas as pd

import qrvpfuncs as q
import qrvpfuncs.dask as qd


def synthetic(wells, months, seed):
    rng = np.random.default_rng(seed)
    edges = np.arange("2010-01", np.datetime64("2010-01") + months + 1, dtype="datetime64[M]").astype("datetime64[s]")
    volumes = np.empty((wells, months))
    for i in range(wells):
        cum = q.arps_cumulative(edges, edges[0], rng.uniform(500, 5000), rng.uniform(0.3, 2.0), rng.uniform(0, 1.5))
        volumes[i] = np.diff(cum)
    volumes *= rng.lognormal(0.0, 0.15, volumes.shape)
    volumes[rng.random(volumes.shape) < 0.05] = 0.0
    return pd.DataFrame({"well": np.repeat(np.arange(wells), months), "date": np.tile(edges[:-1], wells),
                         "volume": volumes.ravel()})


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--wells", type=int, default=100_000)
    parser.add_argument("--months", type=int, default=120)
    parser.add_argument("--workers", type=int, default=2)
    parser.add_argument("--partitions", type=int, default=32)
    parser.add_argument("--bootstrap", type=int, default=0)
    args = parser.parse_args()
    options = dict(bootstrap=args.bootstrap, errors="skip")

    begin = time.perf_counter()
    history = synthetic(args.wells, args.months, 5)
    print("history: %d wells x %d months built in %.1f s" % (args.wells, args.months, time.perf_counter() - begin))

    begin, cpu = time.perf_counter(), time.process_time()
    segments, report = q.fit(history, threads=1, report=True, **options)
    single, single_cpu = time.perf_counter() - begin, time.process_time() - cpu
    fitted = int((report["status"] == "ok").sum())
    print("one process, one thread: %.1f s, %.0f us per well; processor time %.0f us per well (%d fitted)"
          % (single, single / args.wells * 1e6, single_cpu / args.wells * 1e6, fitted))

    from distributed import Client, LocalCluster
    with LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True, dashboard_address=None,
                      host="127.0.0.1") as cluster, Client(cluster) as client:
        begin = time.perf_counter()
        parts = client.persist(qd.by_well(history, npartitions=args.partitions))
        parts.map_partitions(len).compute()
        shipped = time.perf_counter() - begin
        begin = time.perf_counter()
        parts.map_partitions(lambda p: p.iloc[:0]).compute()
        empty = time.perf_counter() - begin
        cpu = client.run(time.process_time)
        begin = time.perf_counter()
        got = qd.fit(parts, **options).compute()
        spread = time.perf_counter() - begin
        after = client.run(time.process_time)
        worker_cpu = sum(after[w] - cpu[w] for w in after)
    same = got.reset_index(drop=True).equals(report)
    print("partitioning and shipping to %d workers: %.1f s" % (args.workers, shipped))
    print("LocalCluster of %d workers, %d partitions: %.1f s, %.0f us per well: %.2fx one process; "
          "workers' processor time %.0f us per well; the same report: %s"
          % (args.workers, args.partitions, spread, spread / args.wells * 1e6, single / spread,
             worker_cpu / args.wells * 1e6, same))
    print("scheduling %d empty tasks: %.3f s (%.1f ms per task)" % (args.partitions, empty,
                                                                      empty / args.partitions * 1e3))


if __name__ == "__main__":
    main()
