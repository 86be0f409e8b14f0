"""Two-mode edge lists named by labels, read with ``two_mode=True`` (``--two-mode``): Davis's
Southern Women written as a CSV of (woman, event) names gives the statistics of the graph from
networkx, also when the events are renamed with the women's names, so that every label names a
node of each mode."""

import pickle

import networkx as nx
import pytest

import tarnwick

MODEL = 'edges + b1star(2) + b2star(2) + b1cov("score") + b2cov("score")'


def davis():
    graph = nx.davis_southern_women_graph()
    women = [n for n, d in graph.nodes(data=True) if d["bipartite"] == 0]
    events = [n for n, d in graph.nodes(data=True) if d["bipartite"] == 1]
    for k, node in enumerate(women + events):
        graph.nodes[node]["score"] = float(k % 7)
    return graph, women, events


def write_lists(tmp_path, graph, women, events, event_label):
    """The edge list (woman, event; the events named by event_label) and the node table with
    the column mode."""
    rows = ["woman,event"]
    for w, e in graph.edges():
        if w not in women:
            w, e = e, w
        rows.append(f"{w},{event_label[e]}")
    (tmp_path / "davis.csv").write_text("\n".join(rows) + "\n")
    table = ["id,mode,score"]
    table += [f"{w},1,{graph.nodes[w]['score']}" for w in women]
    table += [f"{event_label[e]},2,{graph.nodes[e]['score']}" for e in events]
    (tmp_path / "nodes.csv").write_text("\n".join(table) + "\n")
    return tmp_path / "davis.csv", tmp_path / "nodes.csv"


@pytest.mark.parametrize("shared_labels", [False, True])
def test_davis_read_two_mode_counts_as_from_networkx(tmp_path, shared_labels):
    graph, women, events = davis()
    event_label = {e: (women[k] if shared_labels else e) for k, e in enumerate(events)}
    path, nodes = write_lists(tmp_path, graph, women, events, event_label)
    network = tarnwick.read(path, header="yes", two_mode=True, attributes=nodes)
    assert network.bipartite == 18 and network.node_count == 32 and not network.directed
    # Labels of both modes make the nodes (mode, label), which a graph keeps apart.
    key = (lambda mode, label: (mode, label)) if shared_labels else (lambda mode, label: label)
    assert sorted(network.nodes[:18]) == sorted(key(0, w) for w in women)
    assert sorted(network.nodes[18:]) == sorted(key(1, e) for e in event_label.values())
    graph_again = network.to_networkx()
    assert graph_again.number_of_nodes() == 32 and graph_again.number_of_edges() == 89
    assert "mode" not in network._core.attribute_names()
    want = tarnwick.summary(tarnwick.Network.from_networkx(graph), MODEL)
    got = tarnwick.summary(network, MODEL)
    assert list(got.index) == list(want.index)
    assert list(got) == pytest.approx(list(want), rel=1e-12)
    if shared_labels:  # the (mode, label) nodes come back from pickling
        assert pickle.loads(pickle.dumps(network)).nodes == network.nodes


def test_a_dyad_not_observed_joins_the_modes(tmp_path):
    path = tmp_path / "a.csv"
    path.write_text("source,target,value\nA,A,1\nA,B,NA\nB,A,1\nB,B,0\n")
    with pytest.warns(tarnwick.TarnwickWarning, match="value 0"):
        network = tarnwick.read(path, two_mode=True)
    assert network.nodes == [(0, "A"), (0, "B"), (1, "A"), (1, "B")] and network.bipartite == 2
    assert network.missing_dyads == [((0, "A"), (1, "B"))]
    assert network._core.missing_dyads() == [(0, 3)]  # person A, event B
    assert network.link_count == 2
    # A --missing list names its dyads as the edge list does: person B, event A is a link.
    (tmp_path / "m.csv").write_text("B,B\n")
    with pytest.warns(tarnwick.TarnwickWarning, match="value 0"):
        network = tarnwick.read(path, two_mode=True, missing=tmp_path / "m.csv")
    assert network._core.missing_dyads() == [(0, 3), (1, 3)]


def test_two_mode_with_bipartite_is_refused(tmp_path):
    path = tmp_path / "a.csv"
    path.write_text("A,A\nB,A\n")
    with pytest.raises(tarnwick.ArgumentError, match="bipartite with two_mode"):
        tarnwick.read(path, two_mode=True, bipartite=2)
