"""The two-mode terms by mode (sociality, minimum degree, shared partners within a mode,
two-stars, star mixing) and b1nodematch's discounts on Davis's Southern Women, against counts
made here with numpy from networkx's biadjacency matrix."""

import math

import numpy as np
import pytest

import tarnwick
from test_two_mode import comb, davis


def pairs(common):
    """The common neighbours of every pair i < j of one mode."""
    n = common.shape[0]
    return np.array([common[i, j] for i in range(n) for j in range(i + 1, n)])


def expected_by_mode(graph, women, events, b):
    """The sociality, minimum degree, shared partner, two-star and star-mixing statistics, counted
    from the biadjacency matrix."""
    d1, d2 = b.sum(axis=1), b.sum(axis=0)
    g1 = np.array([graph.nodes[w]["group"] for w in women])
    g2 = np.array([graph.nodes[e]["group"] for e in events])
    sp1, sp2 = pairs(b @ b.T), pairs(b.T @ b)
    # Each woman's events of group x and y, each event's women of group a and b.
    nx1, ny1 = b[:, g2 == "x"].sum(axis=1), b[:, g2 == "y"].sum(axis=1)
    na2, nb2 = b[g1 == "a", :].sum(axis=0), b[g1 == "b", :].sum(axis=0)
    r = 1 - math.exp(-0.5)
    want = {f"b1sociality{k + 1}": d1[k] for k in range(1, 18)}
    want.update({f"b2sociality{18 + k + 1}": d2[k] for k in range(1, 14)})
    want.update(
        {
            "b1mindeg3": np.sum(d1 >= 3),
            "b2mindeg8": np.sum(d2 >= 8),
            "b1dsp0": np.sum(sp1 == 0),
            "b1dsp2": np.sum(sp1 == 2),
            "b2dsp4": np.sum(sp2 == 4),
            "gwb1dsp.fixed.0.5": math.exp(0.5) * np.sum(1 - r**sp1),
            "gwb2dsp.fixed.0.5": math.exp(0.5) * np.sum(1 - r**sp2),
            "b1twostar.group.a.group.x.x": comb(nx1[g1 == "a"], 2).sum(),
            "b1twostar.group.b.group.x.y": np.sum((nx1 * ny1)[g1 == "b"]),
            "b1twostar.group.a.group.y.y": comb(ny1[g1 == "a"], 2).sum(),
            "b2twostar.group.x.group.a.b": np.sum((na2 * nb2)[g2 == "x"]),
            "b2twostar.group.y.group.b.b": comb(nb2[g2 == "y"], 2).sum(),
            "b1starmix.2.group.b.y": comb(ny1[g1 == "b"], 2).sum(),
            "b2starmix.2.group.x.a": comb(na2[g2 == "x"], 2).sum(),
            "b1starmix.3.group.a": comb(nx1[g1 == "a"], 3).sum() + comb(ny1[g1 == "a"], 3).sum(),
        }
    )
    return want


BY_MODE = (
    "b1sociality + b2sociality + b1mindegree(3) + b2mindegree(8) + b1dsp(c(0, 2)) + b2dsp(4)"
    " + gwb1dsp(0.5, fixed=TRUE) + gwb2dsp(0.5, fixed=TRUE)"
    ' + b1twostar("group") + b2twostar("group") + b1starmix(2, "group")'
    ' + b2starmix(2, "group") + b1starmix(3, "group", diff=FALSE)'
)


def test_the_terms_by_mode_count_as_numpy_does():
    graph, women, events, b = davis()
    got = tarnwick.summary(tarnwick.Network.from_networkx(graph), BY_MODE)
    for name, value in expected_by_mode(graph, women, events, b).items():
        assert got[name] == pytest.approx(float(value), rel=1e-12), name


def test_b1nodematch_discounts_count_as_numpy_does():
    graph, women, events, b = davis()
    network = tarnwick.Network.from_networkx(graph)
    g1 = np.array([graph.nodes[w]["group"] for w in women])
    common = b @ b.T
    alike = [common[i, j] for i in range(18) for j in range(i + 1, 18) if g1[i] == g1[j]]
    got = tarnwick.summary(network, 'b1nodematch("group", alpha=0.5)')
    assert got["b1nodematch.group"] == pytest.approx(sum(s**0.5 for s in alike), rel=1e-12)
    # beta: per event and group with m such women, m/2 (m - 1)^beta.
    m = np.concatenate([b[g1 == level, :].sum(axis=0) for level in ("a", "b")])
    want = sum(0.5 * k * (k - 1) ** 0.25 for k in m if k >= 2)
    got = tarnwick.summary(network, 'b1nodematch("group", beta=0.25)')
    assert got["b1nodematch.group"] == pytest.approx(want, rel=1e-12)
