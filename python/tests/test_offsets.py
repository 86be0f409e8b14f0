"""Offsets: offset(term) held at offset_coef in fit, simulate and gof, -inf included."""

import math

import pytest

import tarnwick

FORMULA = "edges + triangle + offset(degrange(7))"


def test_an_offset_is_held_at_its_value_in_fit_simulate_and_gof(florentine):
    # Every estimator's exact fit beside an offset: Offsets and OffsetsApi in the C++ tests.
    net = tarnwick.Network.from_networkx(florentine)
    fit = tarnwick.fit(net, FORMULA, offset_coef=[-math.inf], progress=False)
    assert list(fit.coef.index) == ["edges", "triangle", "offset(deg7+)"]
    assert fit.coef["offset(deg7+)"] == -math.inf
    assert math.isnan(fit.std_error["offset(deg7+)"])
    assert list(fit.tidy()["offset"]) == [False, False, True]
    stats = tarnwick.simulate(fit, n=50, stats=True, progress=False)
    assert (stats["offset(deg7+)"] == 0).all()
    gof = tarnwick.gof(net, FORMULA, offset_coef=[-math.inf], n=20, progress=False)
    assert gof.tables["model"].loc["offset(deg7+)", "max"] == 0
    degree = gof.tables["degree"]
    assert (degree.loc[degree.index >= 7, "max"] == 0).all()


def test_an_offset_count_that_does_not_match_is_refused(florentine):
    net = tarnwick.Network.from_networkx(florentine)
    with pytest.raises(tarnwick.ArgumentError, match="2 values for 1 offset coefficient"):
        tarnwick.fit(net, FORMULA, offset_coef=[-math.inf, 1.0], progress=False)
    with pytest.raises(tarnwick.ArgumentError, match="0 values for 1 offset coefficient"):
        tarnwick.fit(net, FORMULA, progress=False)
