"""Other basins made from the wells at hand, for bench/hindcast --basin: the
same wells with their months changed the way another basin's differ, so a
method tuned to one sample shows where it fails before a hidden one does.

  noisy   each producing month's oil times exp(z), z an AR(1) series per well
          (lag-one 0.5, innovations of sd 0.3): noisier, streaky reporting
  smooth  each producing month's rate the median of it and its neighbours'
          (three months, the ends two): smoother reporting, lower noise
  slow    each well's rates on a clock running 1.5 times slower (linear
          between months, its own shut-ins kept): declines two thirds as steep
  fast    the same on a clock running 1.5 times faster: declines 1.5 times as
          steep, and each well's run two thirds as long

The holdouts change with the histories, as they would in that basin.  Seeded
(--seed), so a run repeats.
"""
import numpy as np

KINDS = ("noisy", "smooth", "slow", "fast")


def _rates(w):
    return np.where(w.uptime > 0, w.oil / np.maximum(w.uptime, 1e-12), np.nan)


def _noisy(w, rng):
    z = np.zeros(len(w.oil))
    eps = rng.normal(0.0, 0.3, len(w.oil))
    for k in range(len(z)):
        z[k] = (0.5 * z[k - 1] if k else 0.0) + eps[k]
    return w.oil * np.exp(z)


def _smooth(w, _):
    rate = _rates(w)
    out = np.array([np.nanmedian(rate[max(k - 1, 0):k + 2]) if w.uptime[k] > 0 else 0.0 for k in range(len(rate))])
    return np.where(w.uptime > 0, out * w.uptime, 0.0)


def _clock(w, slower):
    rate = _rates(w)
    at = np.arange(len(rate)) / slower
    lo = np.minimum(np.floor(at).astype(int), len(rate) - 1)
    hi = np.minimum(lo + 1, len(rate) - 1)
    frac = at - lo
    moved = rate[lo] * (1.0 - frac) + rate[hi] * frac  # NaN where a neighbour is shut in
    moved[at > len(rate) - 1] = np.nan  # past the well's last month
    return np.where((w.uptime > 0) & np.isfinite(moved), np.nan_to_num(moved) * w.uptime, 0.0)


def perturb(wells, kind, seed=1):
    """The wells with their oil changed as `kind` says (one of KINDS); a month
    left without oil no longer produces."""
    change = {"noisy": _noisy, "smooth": _smooth, "slow": lambda w, _: _clock(w, 1.5),
              "fast": lambda w, _: _clock(w, 1 / 1.5)}[kind]
    rng = np.random.default_rng(seed)
    for w in wells:
        w.oil = change(w, rng)
        w.uptime = np.where(w.oil > 0, w.uptime, 0.0)
    return wells
