"""A model that cannot be drawn raises with its figures; networks without links come from every
constructor; a formula of another type and a bootstrap's progress."""

import warnings

import networkx as nx
import pandas as pd
import pytest
import scipy.sparse as sp

import tarnwick


def test_a_chain_that_fills_the_link_store_raises_with_figures():
    # 1100 nodes, 604450 dyads: every link drawn passes the store's 500000.
    net = tarnwick.Network.from_links(range(1100), [], directed=False)
    with pytest.raises(tarnwick.ModelError, match="capacity of 500000 links.*No networks were"):
        tarnwick.simulate(net, "edges", coef=[10.0], n=1, burnin=3_000_000)


def test_networks_without_links_from_every_constructor():
    assert tarnwick.summary(nx.empty_graph(10), "edges")["edges"] == 0
    assert tarnwick.summary(nx.empty_graph(10, create_using=nx.DiGraph), "edges")["edges"] == 0
    net = tarnwick.Network.from_links(range(50), [])
    assert (net.node_count, net.link_count) == (50, 0)
    assert net.nodes == list(range(50))
    graphs = tarnwick.simulate(net, "edges", coef=[-3.0], n=3)
    assert [g.number_of_nodes() for g in graphs] == [50, 50, 50]
    assert any(g.number_of_edges() > 0 for g in graphs)
    table = pd.DataFrame({"sex": ["f", "m", "f"]}, index=["a", "b", "c"])
    edges = pd.DataFrame({"source": [], "target": []})
    from_pandas = tarnwick.Network.from_pandas(edges, nodes=table, directed=False)
    assert from_pandas.nodes == ["a", "b", "c"] and from_pandas.link_count == 0
    assert tarnwick.summary(from_pandas, 'nodematch("sex")')["nodematch.sex"] == 0
    from_scipy = tarnwick.Network.from_scipy(sp.csr_matrix((4, 4)))
    assert (from_scipy.node_count, from_scipy.link_count) == (4, 0)
    with pytest.raises(ValueError, match="distinct labels"):
        tarnwick.Network.from_links(["a", "a"], [])


def test_a_formula_of_another_type_is_a_type_error(florentine):
    for formula in (3, {"edges": 1}, ["edges", 2]):
        with pytest.raises(TypeError, match="formula"):
            tarnwick.summary(florentine, formula)


def test_a_bootstrap_reports_its_replicates(florentine):
    reports = []
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        tarnwick.fit(florentine, "edges + kstar(2)", se="bootstrap", replicates=40,
                     progress=lambda done, total, stage: reports.append((done, total, stage)))
    assert reports and reports[-1] == (40, 40, "bootstrap")
    assert all(0 < done <= 40 for done, _, _ in reports)
