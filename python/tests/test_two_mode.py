"""Two-mode networks from Python: Davis's Southern Women (18 women, 14 events) from networkx's
``bipartite`` node attribute, and every term of two-mode networks against a count made here
with numpy from the biadjacency matrix."""

import math

import networkx as nx
import numpy as np
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


def gw(decay, degrees):
    return math.exp(decay) * np.sum(1 - (1 - math.exp(-decay)) ** degrees)


def comb(n, k):
    return np.array([math.comb(int(v), k) for v in n])


def expected(graph, women, events, b):
    """Every statistic counted from the biadjacency matrix."""
    d1, d2 = b.sum(axis=1), b.sum(axis=0)
    g1 = np.array([graph.nodes[w]["group"] for w in women])
    g2 = np.array([graph.nodes[e]["group"] for e in events])
    s1 = np.array([graph.nodes[w]["score"] for w in women])
    s2 = np.array([graph.nodes[e]["score"] for e in events])
    common1, common2 = b @ b.T, b.T @ b  # common events of two women, common women of two events

    def matches(common, groups, level=None):
        n = len(groups)
        return sum(
            common[i, j]
            for i in range(n)
            for j in range(i + 1, n)
            if groups[i] == groups[j] and (level is None or groups[i] == level)
        )

    return {
        "edges": b.sum(),
        "b1star2": comb(d1, 2).sum(),
        "b1star3": comb(d1, 3).sum(),
        "b2star2": comb(d2, 2).sum(),
        "b1deg2": np.sum(d1 == 2),
        "b1deg4": np.sum(d1 == 4),
        "b2deg3": np.sum(d2 == 3),
        "b2deg14": np.sum(d2 == 14),
        "b1concurrent": np.sum(d1 >= 2),
        "b2concurrent": np.sum(d2 >= 2),
        "gwb1deg.fixed.0.5": gw(0.5, d1),
        "gwb2deg.fixed.0.25": gw(0.25, d2),
        "b1cov.score": np.sum(s1 * d1),
        "b2cov.score": np.sum(s2 * d2),
        "b1factor.group.b": np.sum(d1[g1 == "b"]),
        "b2factor.group.y": np.sum(d2[g2 == "y"]),
        "b1nodematch.group": matches(common1, g1),
        "b2nodematch.group": matches(common2, g2),
        "b1nodematch.group.a": matches(common1, g1, "a"),
        "b2nodematch.group.y": matches(common2, g2, "y"),
    }


FORMULA = (
    "edges + b1star(2:3) + b2star(2) + b1degree(c(2, 4)) + b2degree(c(3, 14)) + b1concurrent"
    " + b2concurrent + gwb1degree(0.5, fixed=TRUE) + gwb2degree(0.25, fixed=TRUE)"
    ' + b1cov("score") + b2cov("score") + b1factor("group") + b2factor("group")'
    ' + b1nodematch("group") + b2nodematch("group")'
    ' + b1nodematch("group", diff=TRUE) + b2nodematch("group", diff=TRUE)'
)


def test_davis_from_networkx_is_two_mode_and_every_term_counts_as_numpy_does():
    graph, women, events, b = davis()
    network = tarnwick.Network.from_networkx(graph)
    assert network.bipartite == 18
    assert network.node_count == 32
    assert network.nodes[:18] == women and network.nodes[18:] == events
    got = tarnwick.summary(network, FORMULA)
    want = expected(graph, women, events, b)
    for name, value in want.items():
        assert got[name] == pytest.approx(float(value), rel=1e-12), name
#b1nodematch(diff = TRUE) per level; b2factor leaves out the first level, x.
    assert "b2factor.group.x" not in got.index
    assert got["b1nodematch.group.a"] + got["b1nodematch.group.b"] == got["b1nodematch.group"]


def test_read_with_bipartite_gives_the_same_statistics(tmp_path):
    graph, women, events, b = davis()
    rows = ["woman,event"]
    for i, w in enumerate(women):
        for j, e in enumerate(events):
            if b[i, j]:
                rows.append(f"{i + 1},{18 + j + 1}")
    path = tmp_path / "davis.csv"
    path.write_text("\n".join(rows) + "\n")
    network = tarnwick.read(path, header="yes", bipartite=18)
    assert network.bipartite == 18 and not network.directed
    got = tarnwick.summary(network, "edges + b1star(2) + b2star(2) + gwb2degree(0.25, fixed=TRUE)")
    want = expected(graph, women, events, b)
    for name in ("edges", "b1star2", "b2star2", "gwb2deg.fixed.0.25"):
        assert got[name] == pytest.approx(float(want[name]), rel=1e-12), name


def test_a_two_mode_term_on_a_network_of_one_mode_is_refused():
    with pytest.raises(tarnwick.ModelError, match="b1star is a term of two-mode networks"):
        tarnwick.summary(nx.Graph(list(nx.karate_club_graph().edges())), "edges + b1star(2)")


def test_davis_from_pandas_tables_as_read_from_csv(tmp_path):
    """The edge table (woman, event) and a node table as pandas reads a CSV (default index,
    the labels in a column): the same network and statistics as from networkx; a node-table
    row of no link is placed by its column ``bipartite``."""
    pd = pytest.importorskip("pandas")
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
    got = tarnwick.summary(network, FORMULA)
    want = expected(graph, women, events, b)
    for name in ("edges", "b1star2", "b2star2", "b1cov.score", "b2cov.score",
                 "b1factor.group.b", "b2nodematch.group"):
        assert got[name] == pytest.approx(float(want[name]), rel=1e-12), name
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
    pd = pytest.importorskip("pandas")
    table = None if nodes is None else pd.DataFrame(nodes, columns=["id", "bipartite"])
    with pytest.raises(tarnwick.ArgumentError, match=message):
        tarnwick.Network.from_pandas(
            pd.DataFrame(edges, columns=["source", "target"]), table, node_key="id"
            if table is not None else None, bipartite=True
        )


def test_two_mode_graph_values_pickling_and_multigraph_weights():
    """A two-mode graph's weights are read as a one-mode graph's (0 no link, NaN missing); a
    pickled two-mode network comes back two-mode; a multigraph's zero and missing weights
    mark the right edges."""
    import pickle

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

    multi = nx.MultiGraph()
    multi.add_edge("a", "b", weight=0)
    multi.add_edge("a", "c", weight=float("nan"))
    multi.add_edge("b", "c", weight=1)
    multi.add_edge("c", "d", na=True)
    multi.add_edge("d", "a", weight=2)
    with pytest.warns(tarnwick.TarnwickWarning):
        network = tarnwick.Network.from_networkx(multi)
    links = {frozenset((network.nodes[i], network.nodes[j])) for i, j in network._core.links()}
    assert links == {frozenset("bc"), frozenset("da")}
    assert {frozenset(d) for d in network.missing_dyads} == {frozenset("ac"), frozenset("cd")}


def test_gof_of_davis_shows_each_mode_as_counted_here():
    graph, women, events, b = davis()
    result = tarnwick.gof(tarnwick.Network.from_networkx(graph), "edges + b1star(2)", n=20)
    assert "degree" not in result.tables and "edgewise_shared" not in result.tables
    for matrix, mode in ((b, "first"), (b.T, "second")):
        degrees = np.bincount(matrix.sum(axis=1)) / matrix.shape[0]
        observed = result.tables[f"{mode}_mode_degree"]["observed"]
        assert list(observed[: len(degrees)]) == pytest.approx(list(degrees))
        common = matrix @ matrix.T
        pairs = common[np.triu_indices(matrix.shape[0], 1)]
        shared = np.bincount(pairs) / len(pairs)
        observed = result.tables[f"{mode}_mode_dyadwise_shared"]["observed"]
        assert list(observed[: len(shared)]) == pytest.approx(list(shared))
