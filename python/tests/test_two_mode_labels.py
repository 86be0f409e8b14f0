"""Two-mode edge lists named by labels, read with ``two_mode=True`` (``--two-mode``): when a
label names a node of each mode, the nodes are (mode, label) pairs, which a graph keeps apart,
in the missing dyads, in networkx and through pickling. The reading of such files (Davis's
Southern Women among them), their attribute tables and their fits: TwoModeLabels in the C++
tests."""

import pickle

import pytest

import tarnwick


def test_a_label_of_both_modes_makes_two_nodes(tmp_path):
    path = tmp_path / "a.csv"
    path.write_text("source,target,value\nA,A,1\nA,B,NA\nB,A,1\nB,B,0\n")
    with pytest.warns(tarnwick.TarnwickWarning, match="value 0"):
        network = tarnwick.read(path, two_mode=True)
    assert network.nodes == [(0, "A"), (0, "B"), (1, "A"), (1, "B")] and network.bipartite == 2
    assert network.missing_dyads == [((0, "A"), (1, "B"))]
    assert network._core.missing_dyads() == [(0, 3)]  # person A, event B
    assert network.link_count == 2
    graph = network.to_networkx()
    assert list(graph.nodes) == network.nodes
    assert {frozenset(e) for e in graph.edges} == {frozenset([(0, "A"), (1, "A")]),
                                                   frozenset([(0, "B"), (1, "A")])}
    again = pickle.loads(pickle.dumps(network))
    assert again.nodes == network.nodes and again.missing_dyads == network.missing_dyads
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


def test_labels_of_one_mode_each_stay_labels(tmp_path):
    (tmp_path / "b.csv").write_text("ann,party\nbea,party\nbea,wedding\n")
    network = tarnwick.read(tmp_path / "b.csv", header="no", two_mode=True)
    assert network.nodes == ["ann", "bea", "party", "wedding"] and network.bipartite == 2
