"""Node tables as people write them: each row's attributes go to its own node, or the table is
refused with the count of rows that match. Sampson's monks (examples/samplike.net) without monk
18's links, whose row then names an isolated node: the count of links within a group, counted
here link by link, is what nodematch("group") must give."""

import warnings

import pandas as pd
import pytest

import tarnwick
from conftest import EXAMPLES, read_pajek


@pytest.fixture
def monks(tmp_path):
    """The links by monk number 1..18 without monk 18's, the node table as pd.read_csv reads a
    file with an id column, and the links within a group counted by hand."""
    names, arcs = read_pajek(EXAMPLES / "samplike.net")
    number = {name: k + 1 for k, name in enumerate(names)}
    groups = pd.read_csv(EXAMPLES / "samplike_attributes.csv").set_index("monk")["group"]
    links = [(number[a], number[b]) for a, b in arcs if 18 not in (number[a], number[b])]
    edges = pd.DataFrame(links, columns=["source", "target"])
    path = tmp_path / "monks.csv"
    pd.DataFrame({"id": range(1, 19), "group": [groups[n] for n in names]}).to_csv(
        path, index=False
    )
    table = pd.read_csv(path)
    group_of = dict(zip(table["id"], table["group"]))
    within = sum(group_of[a] == group_of[b] for a, b in links)
    return edges, table, within


def nodematch(network):
    return tarnwick.summary(network, 'edges + nodematch("group")')["nodematch.group"]


def test_an_id_column_names_the_nodes_not_the_default_index(monks):
    edges, table, within = monks
    with pytest.warns(tarnwick.TarnwickWarning, match="column 'id' names the nodes"):
        net = tarnwick.Network.from_pandas(edges, nodes=table)
    assert net.node_count == 18
    assert nodematch(net) == within
    assert nodematch(tarnwick.Network.from_pandas(edges, nodes=table.set_index("id"))) == within
    assert nodematch(tarnwick.Network.from_pandas(edges, nodes=table, node_key="id")) == within
    # Monk 18 is the isolate, not a node 0.
    assert 18 in net.nodes and 0 not in net.nodes


def test_string_ids_and_ids_from_0(monks):
    edges, table, within = monks
    # The edge list's numbers against the table's texts: one label as text.
    texts = table.assign(id=table["id"].astype(str))
    with pytest.warns(tarnwick.TarnwickWarning):
        assert nodematch(tarnwick.Network.from_pandas(edges, nodes=texts)) == within
    # Names in the first column of the table, names in the edge list.
    names = {k: f"monk {k}" for k in range(1, 19)}
    named_edges = edges.apply(lambda column: column.map(names))
    named = pd.DataFrame({"monk": [names[k] for k in table["id"]], "group": table["group"]})
    with pytest.warns(tarnwick.TarnwickWarning, match="column 'monk'"):
        assert nodematch(tarnwick.Network.from_pandas(named_edges, nodes=named)) == within
    # Numbers from 0 in the edge list and the id column.
    from_zero = tarnwick.Network.from_pandas(edges - 1, nodes=table.assign(id=table["id"] - 1))
    assert nodematch(from_zero) == within


def test_extra_and_missing_rows_are_said(monks):
    edges, table, within = monks
    indexed = table.set_index("id")
    extra = pd.concat([indexed, pd.DataFrame({"group": ["Loyal"]}, index=[19])])
    with pytest.warns(tarnwick.TarnwickWarning, match="2 rows of the node table name no node"):
        net = tarnwick.Network.from_pandas(edges, nodes=extra)
    assert net.node_count == 19
    assert nodematch(net) == within
    without_5 = indexed.drop(index=5)
    with pytest.warns(tarnwick.TarnwickWarning, match="1 of the 17 nodes of the edge list has no"):
        net = tarnwick.Network.from_pandas(edges, nodes=without_5)
    group_of = dict(zip(table["id"], table["group"]))
    assert net.attribute("group") == [None if k == 5 else group_of[k] for k in net.nodes]


@pytest.mark.parametrize(
    "nodes, node_key, words",
    [
        (lambda t: t[["group"]], None, "in 17 of its 18 rows"),  # a default index, no labels
        (lambda t: t.assign(id=t["id"] + 100).set_index("id"), None, "in 0 of its 18 rows"),
        (lambda t: t.assign(id=[k if k <= 8 else k + 100 for k in t["id"]]).set_index("id"),
         None, "in 8 of its 18 rows"),
        (lambda t: t, "monk", "node_key='monk'"),
    ],
    ids=["default index", "another network's", "half another's", "no such column"],
)
def test_a_table_of_other_nodes_is_refused(monks, nodes, node_key, words):
    edges, table, _ = monks
    with pytest.raises(tarnwick.ArgumentError, match=words):
        tarnwick.Network.from_pandas(edges, nodes=nodes(table), node_key=node_key)


def test_a_named_index_from_0_is_taken_as_it_is(monks):
    edges, table, _ = monks
    # Numbers 0..17 as labels on purpose: the index named, the links among 1..17.
    groups = table[["group"]].rename_axis("node")
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        net = tarnwick.Network.from_pandas(edges, nodes=groups)
    assert any("1 row of the node table names no node" in str(w.message) for w in caught)
    assert net.node_count == 18 and 0 in net.nodes


def test_a_graph_whose_attributes_were_set_by_another_numbering_is_refused(monks):
    import networkx as nx

    edges, table, within = monks
    graph = nx.from_pandas_edgelist(edges, create_using=nx.DiGraph)
    graph.add_node(18)
    shifted = graph.copy()
    nx.set_node_attributes(shifted, table.to_dict("index"))  # keys 0..17: node k gets row k
    with pytest.raises(tarnwick.ArgumentError, match="on 17 of its 17 nodes, but its own node on"):
        tarnwick.Network.from_networkx(shifted)
    nx.set_node_attributes(graph, table.set_index("id", drop=False).to_dict("index"))
    assert nodematch(tarnwick.Network.from_networkx(graph)) == within


def test_labels_with_blanks_commas_and_quotes_are_nodes_as_given():
    """A table of labels alone (no attribute) was once read as blank-separated."""
    import networkx as nx

    names = ["John Bosco", "a,b", 'say "hi"', "Simplicius"]
    graph = nx.DiGraph([(names[0], names[1]), (names[2], names[0])])
    graph.add_node(names[3])
    for network in (tarnwick.Network.from_networkx(graph),
                    tarnwick.Network.from_links(names, list(graph.edges))):
        assert sorted(network.nodes) == sorted(names)
        assert sorted(network.links()) == sorted(graph.edges)
