"""A fit's tie probabilities, its saving and loading, and the comparison of two fits."""

import math
import pickle
import shutil
import warnings

import pandas as pd
import pytest
import tarnwick
from conftest import EXAMPLES
from scipy.stats import chi2

SAMPLIKE = "edges + mutual + ttriple + nodematch(\"group\")"


def read_samplike(folder=EXAMPLES):
    return tarnwick.read(folder / "samplike.net", attributes=folder / "samplike_attributes.csv")


def quiet_fit(*arguments, **settings):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        return tarnwick.fit(*arguments, progress=False, **settings)


def toggled(network, links, directed):
    return tarnwick.Network.from_links(network.nodes, sorted(links), directed=directed)


@pytest.mark.parametrize("case", ["samplike", "florentine"])
def test_predict_is_the_logistic_of_each_dyads_change(case, florentine):
    """Every dyad's p against the change of the statistics computed by toggling it."""
    if case == "samplike":
        network, formula = read_samplike(), "edges + mutual + ttriple"
    else:
        network = tarnwick.Network.from_networkx(florentine)
        formula = "edges + triangle + gwesp(0.4, fixed=TRUE)"
    fit = quiet_fit(network, formula)
    table = fit.predict()
    n = network.node_count
    assert len(table) == (n * (n - 1) if network.directed else n * (n - 1) // 2)
    links = set(network.links()) if network.directed else {frozenset(l) for l in network.links()}
    theta = fit.coef.to_numpy()
    for _, row in table.iloc[:: max(1, len(table) // 40)].iterrows():
        dyad = (row["tail"], row["head"]) if network.directed else frozenset(
            (row["tail"], row["head"]))
        present = [tuple(l) for l in links | {dyad}]
        absent = [tuple(l) for l in links - {dyad}]
        change = (tarnwick.summary(toggled(network, present, network.directed), formula)
                  - tarnwick.summary(toggled(network, absent, network.directed), formula))
        expected = 1.0 / (1.0 + math.exp(-(theta @ change.to_numpy())))
        assert row["p"] == pytest.approx(expected, rel=1e-12, abs=1e-15)


def test_predict_honours_a_forbidding_offset(florentine):
    """Dyads that an offset at -Inf forbids have p = 0, the others a p of the fit."""
    network = tarnwick.Network.from_networkx(florentine)
    nodes, links = network.nodes, {frozenset(l) for l in network.links()}
    forbidden = {frozenset((a, b)) for a in nodes[:6] for b in nodes[:6]
                 if a != b and frozenset((a, b)) not in links}
    matrix = pd.DataFrame([[float(frozenset((a, b)) in forbidden) for b in nodes] for a in nodes],
                          index=nodes, columns=nodes)
    network = network.with_covariates({"forbidden": matrix})
    fit = quiet_fit(network, "edges + offset(edgecov(\"forbidden\"))",
                    offset_coef=[float("-inf")])
    table = fit.predict()
    is_forbidden = [frozenset(d) in forbidden for d in zip(table["tail"], table["head"])]
    assert sum(is_forbidden) == len(forbidden) > 0
    assert all((p == 0.0) == f for p, f in zip(table["p"], is_forbidden))


def test_a_fit_saved_and_loaded_is_the_same_fit(tmp_path, florentine):
    """Networks from files (read again), from networkx with attributes, and with covariates."""
    for name in ("samplike.net", "samplike_attributes.csv"):
        shutil.copy(EXAMPLES / name, tmp_path / name)
    from_files = read_samplike(tmp_path)
    graph_net = tarnwick.Network.from_networkx(florentine)
    matrix = [[float((i * 7 + j) % 3) for j in range(graph_net.node_count)]
              for i in range(graph_net.node_count)]
    with_covariate = graph_net.with_covariates({"closeness": matrix})
    cases = [(from_files, SAMPLIKE), (graph_net, "edges + nodecov(\"wealth\") + triangle"),
             (with_covariate, "edges + edgecov(\"closeness\")")]
    for k, (network, formula) in enumerate(cases):
        fit = quiet_fit(network, formula)
        path = tmp_path / f"fit{k}.pickle"
        fit.save(path)
        for loaded in (tarnwick.load_fit(path), pickle.loads(pickle.dumps(fit))):
            assert loaded.formula == fit.formula
            assert loaded.network.nodes == network.nodes
            assert sorted(loaded.network.links()) == sorted(network.links())
            assert loaded.coef.equals(fit.coef) and loaded.cov.equals(fit.cov)
            assert loaded.model.statistics().equals(fit.model.statistics())
            assert loaded.predict().equals(fit.predict())
    # A network file changed since the fit was saved is not taken for the one fitted.
    lines = (tmp_path / "samplike.net").read_text().splitlines(keepends=True)
    (tmp_path / "samplike.net").write_text("".join(lines[:-1]))
    with pytest.raises(tarnwick.InputError, match="cannot be rebuilt"):
        tarnwick.load_fit(tmp_path / "fit0.pickle")
    (tmp_path / "other.pickle").write_bytes(pickle.dumps({"a": 1}))
    with pytest.raises(tarnwick.InputError, match="no fit saved by tarnwick"):
        tarnwick.load_fit(tmp_path / "other.pickle")


def test_save_never_writes_over_an_input_or_half_a_file(tmp_path):
    for name in ("samplike.net", "samplike_attributes.csv"):
        shutil.copy(EXAMPLES / name, tmp_path / name)
    fit = quiet_fit(read_samplike(tmp_path), "edges")
    before = (tmp_path / "samplike.net").read_bytes()
    with pytest.raises(ValueError, match="is the fit's input"):
        fit.save(tmp_path / "samplike.net")
    assert (tmp_path / "samplike.net").read_bytes() == before
    with pytest.raises(OSError):
        fit.save(tmp_path / "no_folder" / "fit.pickle")
    assert sorted(p.name for p in tmp_path.iterdir()) == ["samplike.net",
                                                           "samplike_attributes.csv"]


def test_compare_gives_the_likelihood_ratio_of_nested_fits(florentine):
    network = tarnwick.Network.from_networkx(florentine)
    small = quiet_fit(network, "edges")
    large = quiet_fit(network, "edges + nodecov(\"wealth\")")  # dyad-independent: exact loglik
    table = tarnwick.compare(small, large)
    statistic = 2 * (large.loglik - small.loglik)
    assert table.loc[2, "lr_statistic"] == pytest.approx(statistic)
    assert table.loc[2, "df"] == 1
    assert table.loc[2, "p_value"] == pytest.approx(chi2.sf(statistic, 1))
    assert math.isnan(table.loc[1, "lr_statistic"])
    assert list(table["AIC"]) == [small.aic, large.aic]
    # Not nested: AIC and BIC only.
    other = quiet_fit(network, "edges + nodecov(\"priorates\")")
    assert tarnwick.compare(large, other)["p_value"].isna().all()
    dependent = quiet_fit(network, "edges + triangle")
    with pytest.raises(tarnwick.ModelError, match="no log-likelihood"):
        tarnwick.compare(small, dependent)
    with pytest.raises(tarnwick.ModelError, match="different networks"):
        tarnwick.compare(small, quiet_fit(read_samplike(), "edges"))
