"""Networks far from the observed one are returned with a warning that gives their figures; a
model that cannot be drawn raises; networks without links come from every constructor."""

import random
import warnings

import networkx as nx
import pandas as pd
import pytest
import scipy.sparse as sp

import tarnwick
from conftest import EXAMPLES, read_pajek


def flomarriage():
    nodes, edges = read_pajek(EXAMPLES / "florentine_marriage.net")
    graph = nx.Graph()
    graph.add_nodes_from(nodes)
    graph.add_edges_from(edges)
    return tarnwick.Network.from_networkx(graph)


def test_a_bernoulli_model_far_from_the_network_is_drawn():
    net = flomarriage()
    assert net.link_count == 20
    with pytest.warns(tarnwick.TarnwickWarning) as caught:
        graphs = tarnwick.simulate(net, "edges", coef=[0.5], n=200)
    assert len(graphs) == 200  # the draws themselves: SimulateCommand in the C++ tests
    message = " ".join(str(w.message) for w in caught)
    assert "lie away from the observed one" in message and "20 observed" in message
    assert "degenerate" not in message


def test_a_model_that_runs_to_the_complete_network_is_drawn():
    karate = tarnwick.Network.from_networkx(nx.karate_club_graph())
    with pytest.warns(tarnwick.TarnwickWarning, match="nearer the complete network"):
        graphs = tarnwick.simulate(karate, "edges + kstar(2)", coef=[0.0, 1.0], n=3)
    assert len(graphs) == 3
    assert all(g.number_of_edges() > 500 for g in graphs)  # of 561 dyads


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


def test_a_formula_of_another_type_is_a_type_error():
    net = flomarriage()
    for formula in (3, {"edges": 1}, ["edges", 2]):
        with pytest.raises(TypeError, match="formula"):
            tarnwick.summary(net, formula)


def test_a_bootstrap_reports_its_replicates():
    reports = []
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        tarnwick.fit(flomarriage(), "edges + kstar(2)", se="bootstrap", replicates=40,
                     progress=lambda done, total, stage: reports.append((done, total, stage)))
    assert reports and reports[-1] == (40, 40, "bootstrap")
    assert all(0 < done <= 40 for done, _, _ in reports)


def test_an_ee_fit_with_exact_draws_says_so():
    # Past 2000 nodes the statistics of edges and mutual ties are drawn exactly, without chains.
    draw = random.Random(1)
    links = set()
    while len(links) < 4000:
        a, b = draw.randrange(2100), draw.randrange(2100)
        if a != b:
            links.update([(a, b), (b, a)] if draw.random() < 0.3 else [(a, b)])
    net = tarnwick.Network.from_links(range(2100), sorted(links))
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        screen = tarnwick.fit(net, "edges + mutual", method="ee").screen()
    assert "proposed toggles" not in screen
    assert "Sampler: none, the statistics drawn exactly" in screen
