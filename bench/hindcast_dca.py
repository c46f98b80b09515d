"""Equinor's dca (MIT, imported from the peers directory, never copied) on the
hindcast cases: well by well (AR1, producing time, half-life 24 months, as its
FAQ advises) and as its group pipeline (pilot fit, the group's median
parameters as a prior, half-life and prior strength tuned on a split of every
history, refit), the way the peers README describes them.

Each returns per case the holdout cumulative forecast (the expected curve on
the holdout's producing-time grid times each month's uptime) and the P90 and
P10 of the simulated holdout cumulatives (999 simulations, seed 1).
"""
import logging
import multiprocessing
import os
import sys
import warnings

import numpy as np
import pandas as pd

from hindcast_cases import HOLDOUT, month_text


def load(peers):
    path = os.path.join(peers, "equinor-dca")
    if not os.path.isdir(path):
        return None
    sys.path.insert(0, path)
    logging.getLogger("dca").setLevel(logging.ERROR)
    try:
        from dca.adca.well import Well, WellGroup  # noqa: F401
        from dca.models import Prior  # noqa: F401
    except ImportError as e:
        print(f"hindcast: cannot import dca from {path}: {e}", file=sys.stderr)
        return None
    return path


def _well(case):
    from dca.adca.well import Well
    months, oil, _, up = case.history()
    keep = up > 0
    time = pd.PeriodIndex([month_text(m)[:7] for m in months[keep]], freq="M")
    return Well.from_dirty_data(production=oil[keep], time=time, time_on=up[keep], id=case.well.name,
                                preprocessing="producing_time", curve_model="arps")


def _forecast(case, fitted):
    """(expected, p90, p10) holdout cumulatives of a fitted dca well."""
    up = case.uptime
    keep = up > 0
    w = up[keep]
    x0 = float(np.sum(fitted.time_on))
    x = x0 + np.cumsum(w) - w / 2
    expected = float(np.sum(fitted.predict(x, time_on=w, q=None) * w))
    xs, ys, _ = fitted.get_curve_data()
    curve = fitted.curve_model(*fitted.curve_parameters_)
    prev_eta = float(np.log(ys[-1]) - curve.eval_log(xs[-1]))
    sims = fitted.simulate(x, time_on=w, prev_eta=prev_eta, seed=1, simulations=999)
    cums = np.sum(sims * w, axis=1)
    return expected, float(np.quantile(cums, 0.1)), float(np.quantile(cums, 0.9))


def _one(case):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        try:
            return _forecast(case, _well(case).fit(half_life=24.0, prior_strength=0.0, split=1.0))
        except Exception:  # a peer's failure counts as a zero forecast
            return (0.0, 0.0, 0.0)


def well_by_well(cases, jobs=1):
    if jobs > 1:
        with multiprocessing.get_context("fork").Pool(jobs) as pool:
            out = pool.map(_one, cases, chunksize=8)
    else:
        out = [_one(c) for c in cases]
    a = np.array(out)
    return a[:, 0], a[:, 1], a[:, 2]


def _weighted_median(values, weights):
    order = np.argsort(values)
    v, w = values[order], weights[order]
    cw = np.cumsum(w)
    return float(v[np.searchsorted(cw, 0.5 * cw[-1])])


def group_pipeline(cases):
    from dca.adca.well import WellGroup
    from dca.models import Prior
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        wells = [_well(c) for c in cases]
        group = WellGroup(wells)
        longest = float(max(len(w) for w in wells))
        pilot = group.fit(half_life=longest, prior_strength=0.01, split=0.8,
                          neg_logpdf_prior=Prior(theta_mean=np.zeros(3)))
        thetas = np.array([w.curve_parameters_ for w in pilot])
        weights = np.array([np.sum(w.time_on) for w in pilot])
        mean = np.array([_weighted_median(thetas[:, j], weights) for j in range(thetas.shape[1])])
        prior = Prior(theta_mean=mean, phi_v_b=13.48)
        tuned = group.tune_hyperparameters(half_life=[6, 60], prior_strength=[0.001, 1], split=0.8,
                                           neg_logpdf_prior=prior, hyperparam_maxfun=12)
        final = group.fit(**tuned, split=1.0, neg_logpdf_prior=prior)
        out = []
        for c, f in zip(cases, final):
            try:
                out.append(_forecast(c, f))
            except Exception:
                out.append((0.0, 0.0, 0.0))
    a = np.array(out)
    return a[:, 0], a[:, 1], a[:, 2], tuned
