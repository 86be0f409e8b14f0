"""Constraints: the networks fitted over and drawn from, in fit, simulate and gof."""

import math

import pytest

import tarnwick


def test_a_fit_carries_its_constraints_to_its_draws(florentine):
    """simulate and gof of a fit draw over the fit's space, also after pickling."""
    import pickle

    net = tarnwick.Network.from_networkx(florentine)
    with pytest.warns(tarnwick.TarnwickWarning):
        fit = tarnwick.fit(net, "edges + triangle", method="mcmle", constraints="bd(maxout=6)",
                           progress=False)
    assert fit.constraints == "bd(maxout=6)"
    for source in (fit, pickle.loads(pickle.dumps(fit))):
        graphs = tarnwick.simulate(source, n=20, progress=False)
        assert max(d for g in graphs for _, d in g.degree()) <= 6
        degree = tarnwick.gof(source, n=20, chains=2, progress=False).tables["degree"]
        assert (degree.loc[degree.index > 6, "max"] == 0).all()


def test_edges_under_degree_bounds_fits_with_the_warning(florentine):
    net = tarnwick.Network.from_networkx(florentine)
    with pytest.warns(tarnwick.TarnwickWarning, match="degree bounds"):
        fit = tarnwick.fit(net, "edges", constraints="bd(maxout=6)", progress=False)
    assert math.isclose(fit.coef["edges"], math.log(20 / 100), rel_tol=1e-9)


def test_a_constraint_not_offered_is_refused(florentine):
    net = tarnwick.Network.from_networkx(florentine)
    with pytest.raises(tarnwick.ArgumentError, match="no constraint degreedist"):
        tarnwick.fit(net, "edges", constraints="degreedist", progress=False)


def test_every_network_drawn_under_degrees_keeps_each_degree(florentine):
    net = tarnwick.Network.from_networkx(florentine)
    graphs = tarnwick.simulate(
        net, "triangle", coef=[0.3], n=20, constraints="degrees", progress=False
    )
    def linked(graph):
        return {v: d for v, d in graph.degree() if d > 0}

    assert len(graphs) == 20
    for g in graphs:
        assert linked(g) == linked(florentine)


def test_a_term_of_the_fixed_degrees_is_refused(florentine):
    net = tarnwick.Network.from_networkx(florentine)
    with pytest.raises(tarnwick.ArgumentError, match=r"kstar\(2\) is a function of the degrees"):
        tarnwick.fit(net, "triangle + kstar(2)", constraints="degrees", progress=False)


def test_godambe_errors_over_the_free_dyads_are_the_binomial_ones(florentine):
    # blockdiag by component: Pucci alone, the other 15 families' 105 pairs free. edges over
    # them is a binomial log-odds, whose error Godambe's simulated networks must give.
    import networkx as nx

    graph = florentine.copy()
    for k, component in enumerate(nx.connected_components(graph)):
        for node in component:
            graph.nodes[node]["component"] = k
    net = tarnwick.Network.from_networkx(graph)
    fit = tarnwick.fit(net, "edges", constraints='blockdiag("component")', se="godambe",
                       replicates=800, progress=False)
    p = 20 / 105
    assert fit.coef["edges"] == pytest.approx(math.log(p / (1 - p)), abs=1e-8)
    assert fit.std_error["edges"] == pytest.approx(1 / math.sqrt(105 * p * (1 - p)), rel=0.1)
