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
