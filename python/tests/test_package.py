"""The package's own behaviour: networks in, labels kept, formulas, errors, progress, threads."""

import json
import random
import threading
import time
import warnings

import networkx as nx
import numpy as np
import pandas as pd
import pytest
import scipy.sparse as sp

import tarnwick


def test_labels_and_attributes_come_from_the_graph(florentine):
    net = tarnwick.Network.from_networkx(florentine)
    assert sorted(net.nodes) == sorted(florentine.nodes)
    assert not net.directed
    assert net.node_count == 16 and net.link_count == 20
    assert sorted(net.attribute_names) == ["priorates", "totalties", "wealth"]
    back = net.to_networkx()
    assert list(back.nodes) == list(florentine.nodes)
    assert nx.utils.edges_equal(back.edges, florentine.edges)
    assert back.nodes["Medici"]["wealth"] == 103


def test_true_and_TRUE_are_one_formula(florentine):
    net = tarnwick.Network.from_networkx(florentine)
    r = tarnwick.summary(net, "edges + gwesp(0.5, fixed=TRUE) + gwdegree(0.5, fixed=T)")
    python = tarnwick.summary(net, "edges + gwesp(0.5, fixed=True) + gwdegree(0.5, fixed=True)")
    assert r.equals(python)
    assert list(r.index) == ["edges", "gwesp.fixed.0.5", "gwdeg.fixed.0.5"]
    a = tarnwick.fit(net, "edges + gwesp(0.5, fixed=True)")
    b = tarnwick.fit(net, ["edges", "gwesp(0.5, fixed=TRUE)"])
    assert a.to_json() == b.to_json()


def test_formula_text_leaves_quotes_alone():
    assert tarnwick.formula_text('nodematch("True") + gwesp(0, fixed=True)') == (
        'nodematch("True") + gwesp(0, fixed=TRUE)'
    )
    assert tarnwick.formula_text("a(x='False', y=False)") == "a(x='False', y=FALSE)"
    assert tarnwick.formula_text("Truex + isTrue") == "Truex + isTrue"


def test_labels_survive_simulate():
    nodes = [("a", 1), 2.5, "three", frozenset({4}), 5, "6", 7, 8]
    g = nx.DiGraph()
    for k, node in enumerate(nodes):
        g.add_node(node, group="x" if k % 2 else "y")
    g.add_edges_from([(nodes[i], nodes[(i * 3 + 1) % 8]) for i in range(8)])
    fit = tarnwick.fit(g, "edges + mutual")
    graphs = tarnwick.simulate(fit, n=5, seed=2)
    assert len(graphs) == 5
    for h in graphs:
        assert isinstance(h, nx.DiGraph)
        assert list(h.nodes) == nodes
        assert all(u in g and v in g for u, v in h.edges)
        assert h.nodes["three"]["group"] == "y"
    stats = tarnwick.simulate(fit, n=5, seed=2, stats=True)
    assert list(stats.columns) == ["edges", "mutual"]
    assert stats["edges"].tolist() == [h.number_of_edges() for h in graphs]


@pytest.mark.parametrize(
    "settings, words",
    [
        (dict(method="bayes"), "method=bayes: give mple, mcmle or ee"),
        (dict(se="jackknife"), "se=jackknife: give naive, godambe or bootstrap"),
        (dict(seed=-1), "seed: give 0 or more, not -1"),
        (dict(seed=1.5), "seed: give a whole number, not 1.5"),
        (dict(threads=-2), "threads: give 0 or more, not -2"),
        (dict(replicates=0), "replicates: give 1 or more, not 0"),
        (dict(method="ee", ee_gain=1.5), "ee_gain takes a share"),
        (dict(method="mcmle", replicates=20), "replicates is for method=mple"),
        (dict(sample_size=128), "sample_size is for method=mcmle or ee"),
        (dict(method="mcmle", error_precision=0.6), "error_precision takes a share from 0.01"),
        (dict(method="mcmle", se="godambe"), "se=godambe: maximum likelihood by MCMC"),
    ],
)
def test_a_bad_setting_is_an_argument_error_naming_the_keyword(florentine, settings, words):
    # The command line's own words for the same settings: McmleCommand and SettingError in the
    # C++ tests.
    with pytest.raises(tarnwick.ArgumentError) as raised:
        tarnwick.fit(florentine, "edges", progress=False, **settings)
    assert isinstance(raised.value, ValueError)
    assert words in str(raised.value) and "--" not in str(raised.value)


def test_simulate_without_the_right_coefficients_is_refused(florentine):
    with pytest.raises(tarnwick.ArgumentError, match="1 numbers for 2 parameters"):
        tarnwick.simulate(florentine, "edges + triangle", coef=[1.0], n=2)
    with pytest.raises(tarnwick.ArgumentError, match="a network with a formula and its coef"):
        tarnwick.simulate(florentine, "edges", n=2)


def other_way_in(graph, way):
    order = list(graph.nodes)
    if way == "pandas":
        edges = pd.DataFrame(list(graph.edges), columns=["source", "target"])
        nodes = pd.DataFrame.from_dict(dict(graph.nodes(data=True)), orient="index")
        return tarnwick.Network.from_pandas(edges, nodes, directed=False)
    if way == "scipy":
        matrix = sp.csr_matrix(nx.to_scipy_sparse_array(graph, nodelist=order))
        wealth = [graph.nodes[n]["wealth"] for n in order]
        return tarnwick.Network.from_scipy(matrix, nodes=order, directed=False,
                                           attributes={"wealth": wealth})
    igraph = pytest.importorskip("igraph")
    g = igraph.Graph.from_networkx(graph)
    g.vs["name"] = g.vs["_nx_name"]
    del g.vs["_nx_name"]
    return tarnwick.Network.from_igraph(g)


@pytest.mark.parametrize("way", ["pandas", "scipy", "igraph"])
def test_the_other_ways_in_give_the_same_network(florentine, way):
    formula = "edges + triangle + nodecov(wealth)"
    net = other_way_in(florentine, way)
    assert sorted(map(str, net.nodes)) == sorted(florentine.nodes)
    assert tarnwick.summary(net, formula).equals(tarnwick.summary(florentine, formula))


def test_labels_equal_as_text_are_refused():
    g = nx.Graph()
    g.add_edge(1, "1")
    with pytest.raises(ValueError, match="one label"):
        tarnwick.Network.from_networkx(g)


def test_read_errors_name_the_file(tmp_path):
    bad = tmp_path / "bad.csv"
    bad.write_text("source,target\na,b\nc,\n")
    with pytest.raises(tarnwick.InputError) as raised:
        tarnwick.read(bad)
    assert (raised.value.file, raised.value.line, raised.value.column) == (str(bad), 3, 2)
    huge = tmp_path / "huge.net"
    huge.write_text("*Vertices 100000001\n")
    with pytest.raises(tarnwick.CapacityError) as raised:
        tarnwick.read(huge)
    assert (raised.value.file, raised.value.line, raised.value.column) == (str(huge), 1, 2)
    with pytest.raises(tarnwick.InputError):
        tarnwick.read(tmp_path / "missing.csv")
    # The read options are named as read() takes them, not as the command line's flags.
    with pytest.raises(tarnwick.ArgumentError, match=r"^header=maybe: give auto, yes or no"):
        tarnwick.read(bad, header="maybe")
    with pytest.raises(tarnwick.ArgumentError, match=r"^labels reads .* nodes=N as the node"):
        tarnwick.read(bad, labels=True, nodes=3)


def test_fit_result_parts(florentine):
    fit = tarnwick.fit(florentine, "edges + nodecov(wealth)")
    assert list(fit.coef.index) == ["edges", "nodecov.wealth"]
    assert fit.cov.shape == (2, 2)
    assert np.allclose(np.sqrt(np.diag(fit.cov)), fit.std_error)
    glance = fit.glance()
    assert list(glance.columns) == [
        "method", "std_error_method", "outcome", "converged", "loglik", "AIC", "BIC",
        "iterations", "time",
    ]
    assert glance["converged"][0] and glance["loglik"][0] is not None  # dyad independent
    assert "nodecov.wealth" in fit.screen()
    assert "<table>" in fit._repr_html_()
    assert fit.to_dict()["parameters"][1]["term"] == "nodecov.wealth"


def test_progress_callback_runs_in_the_calling_thread(florentine):
    calls = []
    caller = threading.get_ident()

    def progress(done, total, stage):
        calls.append((done, total, stage, threading.get_ident()))

    tarnwick.fit(florentine, "edges + triangle", method="mcmle", seed=2, progress=progress)
    assert calls and all(c[3] == caller for c in calls)


@pytest.mark.parametrize("work", ["simulate", "fit"])
def test_the_gil_is_released_while_simulating_and_fitting(florentine, work):
    # Every call into the library runs in a worker thread with the GIL released, so other
    # Python threads (another fit among them) go on meanwhile.
    ticks = []
    stop = threading.Event()

    def tick():
        while not stop.is_set():
            ticks.append(1)
            time.sleep(0.001)

    ticker = threading.Thread(target=tick)
    ticker.start()
    try:
        started = time.monotonic()
        if work == "simulate":
            tarnwick.simulate(florentine, "edges + triangle", coef=[-1.5, 0.2], n=300, seed=1,
                              threads=1, stats=True)
        else:
            tarnwick.fit(florentine, "edges + triangle", method="mcmle", seed=1, threads=1,
                         progress=False)
        seconds = time.monotonic() - started
    finally:
        stop.set()
        ticker.join()
    assert seconds < 0.05 or len(ticks) > 5


def _converted(graph):
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        net = tarnwick.Network.from_networkx(graph)
    return net.nodes, net.links(), net._graph_order, [str(w.message) for w in caught]


def test_graphs_read_from_their_adjacency_as_from_their_edges():
    """Graphs are read from networkx's adjacency dicts; the same graph as a multigraph is read
    from graph.edges, the general way: both give the same nodes, links, order and warnings."""
    rng = random.Random(5)
    shuffled = nx.gnm_random_graph(40, 150, directed=True, seed=2)
    shuffled = nx.relabel_nodes(shuffled, dict(zip(range(40), rng.sample(range(100, 140), 40))))
    looped = nx.gnm_random_graph(30, 80, seed=3)
    looped.add_edge(4, 4)
    for u, v in list(looped.edges)[:20]:
        looped[u][v]["weight"] = rng.choice([0, 1, 2.5])
    named = nx.DiGraph([("b", "a"), ("a", "c"), ("c", "b")])
    named.add_node("isolate")
    in_order = nx.gnm_random_graph(25, 60, directed=True, seed=4)
    for graph in (shuffled, looped, named, in_order):
        multigraph = nx.MultiDiGraph(graph) if graph.is_directed() else nx.MultiGraph(graph)
        assert _converted(graph) == _converted(multigraph)
    nodes, links, _, caught = _converted(looped)
    expected = [(u, v) for u, v, w in looped.edges(data="weight") if u != v and w != 0]
    assert sorted(map(sorted, links)) == sorted(map(sorted, expected))
    assert any("value other than 0 and 1" in text for text in caught)


def test_warnings_name_settings_as_keyword_arguments(florentine):
    """A warning that names a setting names the keyword argument, never the command line's
    flag; the JSON results keep the command line's words."""
    fit = tarnwick.fit(florentine, "edges + gwesp(0.5, fixed=TRUE)")
    (suspect,) = [w for w in fit.warnings if w.code == "naive_errors_suspect"]
    assert "se=godambe or se=bootstrap" in suspect.message
    assert "method=mcmle" in suspect.message and "--" not in suspect.message
    assert "--se godambe" in json.dumps(json.loads(fit.to_json())["warnings"])
    with pytest.raises(tarnwick.ArgumentError, match="give method=mcmle, or fix the decay"):
        tarnwick.fit(florentine, "edges + gwesp(0.5)")
    with pytest.warns(tarnwick.TarnwickWarning, match=r"More n \(or fewer chains\)"):
        graphs = tarnwick.simulate(florentine, "edges", coef=[-1.0], n=3, seed=4)
    assert [set(h.nodes) for h in graphs] == [set(florentine.nodes)] * 3
    assert all(not h.is_directed() for h in graphs)
    with pytest.warns(tarnwick.TarnwickWarning, match="Give undirected=True to fit"):
        both_ways = tarnwick.Network.from_networkx(florentine.to_directed())
    assert not any("--" in note for note in both_ways.notes)
