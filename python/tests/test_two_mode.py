"""Two-mode networks from Python: Davis's Southern Women (18 women, 14 events) from networkx's
``bipartite`` node attribute, from a file and from pandas tables: each mode's nodes, links and
attributes where they belong, against a count made here with numpy from the biadjacency
matrix (the two-mode terms themselves are checked by brute force in the C++ suite,
tests/unit/terms/bipartite_catalogue_test.cpp)."""

import math
import pickle

import networkx as nx
import numpy as np
import pandas as pd
import pytest

import tarnwick


def davis():
    """The graph with two attributes of the nodes (group: two levels per mode, score: a number),
    its women and events in the graph's order, and the biadjacency matrix."""
    graph = nx.davis_southern_women_graph()
    women = [n for n, d in graph.nodes(data=True) if d["bipartite"] == 0]
    events = [n for n, d in graph.nodes(data=True) if d["bipartite"] == 1]
    for k, w in enumerate(women):
        graph.nodes[w]["group"] = "a" if k < 9 else "b"
        graph.nodes[w]["score"] = float(k % 5)
    for k, e in enumerate(events):
        graph.nodes[e]["group"] = "x" if k % 3 else "y"
        graph.nodes[e]["score"] = float(k) / 2
    b = np.array([[1 if graph.has_edge(w, e) else 0 for e in events] for w in women])
    return graph, women, events, b


def comb(n, k):
    return np.array([math.comb(int(v), k) for v in n])


def expected(graph, women, events, b):
    """Statistics that tell the modes and their attributes apart, counted from the matrix."""
    d1, d2 = b.sum(axis=1), b.sum(axis=0)
    g1 = np.array([graph.nodes[w]["group"] for w in women])
    g2 = np.array([graph.nodes[e]["group"] for e in events])
    s1 = np.array([graph.nodes[w]["score"] for w in women])
    s2 = np.array([graph.nodes[e]["score"] for e in events])
    common2 = b.T @ b  # common women of two events
    return {
        "edges": b.sum(),
        "b1star2": comb(d1, 2).sum(),
        "b2star2": comb(d2, 2).sum(),
        "b1cov.score": np.sum(s1 * d1),
        "b2cov.score": np.sum(s2 * d2),
        "b1factor.group.b": np.sum(d1[g1 == "b"]),
        "b2nodematch.group": sum(common2[i, j] for i in range(14) for j in range(i + 1, 14)
                                 if g2[i] == g2[j]),
    }


FORMULA = ('edges + b1star(2) + b2star(2) + b1cov("score") + b2cov("score") + b1factor("group")'
           ' + b2nodematch("group")')


def assert_counts(network, graph, women, events, b):
    got = tarnwick.summary(network, FORMULA)
    for name, value in expected(graph, women, events, b).items():
        assert got[name] == pytest.approx(float(value), rel=1e-12), name


def test_davis_from_networkx_is_two_mode_with_each_mode_in_place():
    graph, women, events, b = davis()
    network = tarnwick.Network.from_networkx(graph)
    assert network.bipartite == 18 and network.node_count == 32
    assert network.nodes[:18] == women and network.nodes[18:] == events
    assert_counts(network, graph, women, events, b)


def test_read_with_bipartite_is_two_mode(tmp_path):
    # The file's statistics: TwoModeCommand in the C++ tests.
    graph, women, events, b = davis()
    rows = ["woman,event"] + [f"{i + 1},{18 + j + 1}" for i, j in zip(*np.nonzero(b))]
    (tmp_path / "davis.csv").write_text("\n".join(rows) + "\n")
    network = tarnwick.read(tmp_path / "davis.csv", header="yes", bipartite=18)
    assert network.bipartite == 18 and not network.directed and network.link_count == 89


def test_davis_from_pandas_tables_as_read_from_csv(tmp_path):
    """The edge table (woman, event) and a node table as pandas reads a CSV (default index,
    the labels in a column): the same network and statistics as from networkx; a node-table
    row of no link is placed by its column ``bipartite``."""
    graph, women, events, b = davis()
    pd.DataFrame(list(graph.edges()), columns=["woman", "event"]).to_csv(tmp_path / "e.csv")
    nodes = [(n, d["bipartite"], d["group"], d["score"]) for n, d in graph.nodes(data=True)]
    nodes.append(("Nobody", 0, "a", 1.0))
    pd.DataFrame(nodes, columns=["name", "bipartite", "group", "score"]).to_csv(
        tmp_path / "n.csv", index=False
    )
    edges = pd.read_csv(tmp_path / "e.csv", index_col=0)
    table = pd.read_csv(tmp_path / "n.csv")
    with pytest.warns(tarnwick.TarnwickWarning):
        network = tarnwick.Network.from_pandas(
            edges, table, source="woman", target="event", bipartite=True
        )
    assert network.bipartite == 19 and not network.directed
    assert network.nodes[:18] == women and network.nodes[18] == "Nobody"
    assert sorted(network.nodes[19:]) == sorted(events)  # in order of appearance
    assert_counts(network, graph, women, events, b)
    assert tarnwick.summary(network, "b1degree(0)")["b1deg0"] == 1  # Nobody


@pytest.mark.parametrize(
    "edges, nodes, message",
    [
        ([("a", "x"), ("x", "b")], None, "'x' names a node of both modes"),
        ([("a", "x")], [("a", 0), ("x", None), ("z", None)], "row for 'z' names no node"),
        ([("a", "x")], [("a", 1)], "says mode 1, but the edge table puts it in mode 0"),
        ([("a", "x")], [("a", 2)], "is not 0 or 1"),
    ],
)
def test_two_mode_tables_refused(edges, nodes, message):
    table = None if nodes is None else pd.DataFrame(nodes, columns=["id", "bipartite"])
    with pytest.raises(tarnwick.ArgumentError, match=message):
        tarnwick.Network.from_pandas(
            pd.DataFrame(edges, columns=["source", "target"]), table, node_key="id"
            if table is not None else None, bipartite=True
        )


def test_two_mode_graph_values_and_pickling():
    """A two-mode graph's weights are read as a one-mode graph's (0 no link, NaN missing; every
    constructor's: test_missing_dyads.py); a pickled two-mode network comes back two-mode."""
    graph, women, events, b = davis()
    dropped, unobserved = list(graph.edges())[:2]
    graph.edges[dropped]["weight"] = 0
    graph.edges[unobserved]["weight"] = float("nan")
    with pytest.warns(tarnwick.TarnwickWarning, match="value 0"):
        network = tarnwick.Network.from_networkx(graph)
    assert network.bipartite == 18 and network.link_count == b.sum() - 2
    assert len(network.missing_dyads) == 1
    assert set(network.missing_dyads[0]) == set(unobserved)
    again = pickle.loads(pickle.dumps(network))
    assert again.bipartite == 18 and again.nodes == network.nodes
    assert again.missing_dyads == network.missing_dyads
    model = "edges + b1star(2) + b2degree(3)"
    assert list(tarnwick.summary(again, model)) == list(tarnwick.summary(network, model))


def test_gof_of_davis_has_a_table_per_mode():
    # Their figures: TwoModeFeatures in the C++ tests.
    result = tarnwick.gof(tarnwick.Network.from_networkx(davis()[0]), "edges + b1star(2)", n=20)
    assert "degree" not in result.tables and "edgewise_shared" not in result.tables
    assert {"first_mode_degree", "second_mode_degree", "first_mode_dyadwise_shared",
            "second_mode_dyadwise_shared"} <= set(result.tables)
