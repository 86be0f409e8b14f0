"""Offsets: offset(term) held at offset_coef in fit, simulate and gof, -inf included."""

import math

import pytest

import tarnwick

FORMULA = "edges + triangle + offset(degrange(7))"


def test_an_offset_is_held_at_its_value_and_flagged(florentine):
    net = tarnwick.Network.from_networkx(florentine)
    fit = tarnwick.fit(net, FORMULA, offset_coef=[-math.inf], progress=False)
    assert list(fit.coef.index) == ["edges", "triangle", "offset(deg7+)"]
    assert fit.coef["offset(deg7+)"] == -math.inf
    assert math.isnan(fit.std_error["offset(deg7+)"])
    tidy = fit.tidy()
    assert list(tidy["offset"]) == [False, False, True]


def test_no_drawn_network_has_a_family_of_seven_marriages(florentine):
    net = tarnwick.Network.from_networkx(florentine)
    fit = tarnwick.fit(net, FORMULA, offset_coef=[-math.inf], progress=False)
    stats = tarnwick.simulate(fit, n=50, stats=True, progress=False)
    assert (stats["offset(deg7+)"] == 0).all()
    gof = tarnwick.gof(net, FORMULA, offset_coef=[-math.inf], n=20, progress=False)
    assert gof.tables["model"].loc["offset(deg7+)", "max"] == 0
    degree = gof.tables["degree"]
    assert (degree.loc[degree.index >= 7, "max"] == 0).all()


@pytest.mark.parametrize("method,se", [("mple", "naive"), ("mple", "godambe"), ("mcmle", "naive"),
                                       ("ee", "naive")])
def test_every_estimator_holds_the_offset_and_gives_the_exact_fit(florentine, method, se):
    # edges + offset(edges): the Bernoulli model's log-odds split in two, so the free
    # coefficient is logit(density) less the offset, its error that of a binomial log-odds.
    net = tarnwick.Network.from_networkx(florentine)
    dyads = net.node_count * (net.node_count - 1) / 2
    p = net.link_count / dyads
    more = {"replicates": 400} if se == "godambe" else {}
    fit = tarnwick.fit(net, "edges + offset(edges)", offset_coef=[0.5], method=method, se=se,
                       progress=False, **more)
    assert fit.coef["offset(edges)"] == 0.5
    assert fit.coef["edges"] == pytest.approx(math.log(p / (1 - p)) - 0.5, abs=1e-8)
    exact_se = 1 / math.sqrt(dyads * p * (1 - p))
    # Godambe errors come from 400 simulated networks: within 10%.
    assert fit.std_error["edges"] == pytest.approx(exact_se, rel=0.1 if se == "godambe" else 1e-8)
    loglik = net.link_count * math.log(p) + (dyads - net.link_count) * math.log(1 - p)
    assert fit.loglik == pytest.approx(loglik, abs=1e-8)


def test_an_offset_count_that_does_not_match_is_refused(florentine):
    net = tarnwick.Network.from_networkx(florentine)
    with pytest.raises(tarnwick.ArgumentError, match="2 values for 1 offset coefficient"):
        tarnwick.fit(net, FORMULA, offset_coef=[-math.inf, 1.0], progress=False)
    with pytest.raises(tarnwick.ArgumentError, match="0 values for 1 offset coefficient"):
        tarnwick.fit(net, FORMULA, progress=False)
