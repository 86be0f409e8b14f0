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
    with pytest.warns(tarnwick.TarnwickWarning, match="degree bounds.* of constraints=bd"):
        fit = tarnwick.fit(net, "edges", constraints="bd(maxout=6)", progress=False)
    assert math.isclose(fit.coef["edges"], math.log(20 / 100), rel_tol=1e-9)


@pytest.mark.parametrize(
    "formula, constraints, words",
    [
        ("edges", "degreedist", "constraints=degreedist: no constraint degreedist"),
        ("triangle + kstar(2)", "degrees", r"kstar\(2\) is a function of the degrees"),
    ],
)
def test_a_constraint_not_offered_or_a_term_it_fixes_is_refused(
        florentine, formula, constraints, words):
    # Every network drawn keeps its constraints, and the errors over the free dyads are the
    # binomial ones: ConstraintsCommand in the C++ tests.
    with pytest.raises(tarnwick.ArgumentError, match=words):
        tarnwick.fit(florentine, formula, constraints=constraints, progress=False)


def test_simulate_draws_under_the_constraints_it_is_given(florentine):
    graphs = tarnwick.simulate(florentine, "triangle", coef=[0.3], n=20, constraints="degrees",
                               progress=False)
    assert len(graphs) == 20 and all(dict(g.degree) == dict(florentine.degree) for g in graphs)
