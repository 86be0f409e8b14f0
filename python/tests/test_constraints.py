"""Constraints: the networks fitted over and drawn from, in fit, simulate and gof."""

import math

import pytest

import tarnwick


def test_every_network_drawn_keeps_the_degree_bound(florentine):
    net = tarnwick.Network.from_networkx(florentine)
    graphs = tarnwick.simulate(
        net, "edges + triangle", coef=[-0.5, 0.2], n=30, constraints="bd(maxout=6)", progress=False
    )
    assert len(graphs) == 30
    assert max(d for g in graphs for _, d in g.degree()) <= 6
    assert tarnwick.gof(net, "edges", constraints="bd(maxout=6)", n=20, chains=2, progress=False) is not None


def test_edges_under_degree_bounds_fits_with_the_warning(florentine):
    net = tarnwick.Network.from_networkx(florentine)
    with pytest.warns(tarnwick.TarnwickWarning, match="degree bounds"):
        fit = tarnwick.fit(net, "edges", constraints="bd(maxout=6)", progress=False)
    assert math.isclose(fit.coef["edges"], math.log(20 / 100), rel_tol=1e-9)


def test_a_constraint_not_offered_is_refused(florentine):
    net = tarnwick.Network.from_networkx(florentine)
    with pytest.raises(tarnwick.ArgumentError, match="no constraint degreedist"):
        tarnwick.fit(net, "edges", constraints="degreedist", progress=False)
