"""Networks of counts (response=): the statistics against numpy's, the command line's fits on
the same table, bad counts named by their row, and the counts kept through networkx, pickling
and simulation."""

import importlib.util
import json
import pickle

import networkx as nx
import numpy as np
import pandas as pd
import pytest
import scipy.sparse as sp

import tarnwick
from conftest import EXAMPLES, run_program
from test_against_command_line import same_estimates

VALUED = 'sum + nonzero + mutual(form="min")'


def count_table(directed=True, n=9, seed=4):
    """An edge table of Poisson counts over every ordered pair (undirected: each pair once),
    zeros kept as rows, node labels texts; and the counts as an n x n array."""
    rng = np.random.default_rng(seed)
    rows, y = [], np.zeros((n, n), dtype=int)
    for i in range(n):
        for j in range(n):
            if i == j or (not directed and j < i):
                continue
            y[i, j] = rng.poisson(1.2)
            rows.append((f"n{i}", f"n{j}", y[i, j]))
    if not directed:
        y = y + y.T
    return pd.DataFrame(rows, columns=["source", "target", "count"]), y


def test_the_statistics_of_a_table_of_counts_are_numpy_s():
    edges, y = count_table()
    x = np.arange(9, dtype=float) * 1.5 - 2
    nodes = pd.DataFrame({"x": x}, index=[f"n{i}" for i in range(9)])
    net = tarnwick.Network.from_pandas(edges, nodes, response="count")
    assert net.valued and net.response == "count" and net.link_count == int((y > 0).sum())
    ours = tarnwick.summary(net, VALUED + ' + nodecov("x", form="sum")')
    expected = [
        y.sum(),
        (y > 0).sum(),
        np.minimum(y, y.T)[np.triu_indices(9, 1)].sum(),
        (y * (x[:, None] + x[None, :])).sum(),
    ]
    assert ours.tolist() == pytest.approx(expected, rel=0, abs=1e-9)
    assert list(ours.index) == ["sum", "nonzero", "mutual.min", "nodecov.sum.x"]


def test_an_undirected_table_is_counted_once_per_pair():
    edges, y = count_table(directed=False)
    net = tarnwick.Network.from_pandas(edges, directed=False, response="count")
    ours = tarnwick.summary(net, "sum + nonzero")
    upper = y[np.triu_indices(9, 1)]
    assert ours.tolist() == [upper.sum(), (upper > 0).sum()]
    # The same pair either way round, with the same count, is one dyad.
    twice = pd.concat([edges, edges.rename(columns={"source": "target", "target": "source"})])
    again = tarnwick.Network.from_pandas(twice, directed=False, response="count")
    assert tarnwick.summary(again, "sum + nonzero").tolist() == ours.tolist()


def test_a_count_of_zero_is_no_link_and_a_missing_one_no_observation():
    edges = pd.DataFrame({"source": ["a", "b", "c"], "target": ["b", "c", "a"],
                          "n": [2.0, 0.0, float("nan")]})
    net = tarnwick.Network.from_pandas(edges, response="n")
    assert net.counts() == [("a", "b", 2)]
    assert net.missing_dyads == [("c", "a")]
    with pytest.raises(tarnwick.ArgumentError, match="1 missing dyads.*method=mcmle"):
        tarnwick.fit(net, "sum + mutual(form='min')", reference="Poisson", method="ee",
                     progress=False)


@pytest.mark.parametrize(
    "values, row, words",
    [
        ([1, 2.5, 3], 1, "2.5, which is not a whole number"),
        ([1, 2, -1], 2, "-1, which is negative"),
        (["1", "x", "2"], 0, "'1', which is a str, not a number"),
        ([1, True, 2], 1, "True, which is a bool, not a number"),
        ([1, 2, float("inf")], 2, "inf, which is infinite"),
    ],
)
def test_a_value_that_is_no_count_is_refused_by_its_row_and_column(values, row, words):
    index = ["r0", "r1", "r2"]
    edges = pd.DataFrame({"source": ["a", "b", "c"], "target": ["b", "c", "a"],
                          "emails": pd.Series(values, dtype=object, index=index)}, index=index)
    with pytest.raises(tarnwick.ArgumentError) as raised:
        tarnwick.Network.from_pandas(edges, response="emails")
    message = str(raised.value)
    assert f"response 'emails': the edge table's row 'r{row}'" in message
    assert words in message


@pytest.mark.parametrize("directed", [True, False])
def test_rows_of_one_dyad_that_disagree_are_refused(directed):
    edges = pd.DataFrame({"source": ["a", "b", "b" if directed else "a"],
                          "target": ["b", "c", "c" if directed else "b"], "n": [2, 1, 3]})
    edges.loc[2, ["source", "target"]] = ["b", "c"] if directed else ["b", "a"]
    with pytest.raises(tarnwick.ArgumentError, match="row 2 gives the dyad .* the count 3, but "
                       "the edge table's row [01] gives it [12]; a dyad has one count"):
        tarnwick.Network.from_pandas(edges, directed=directed, response="n")


def test_a_missing_column_and_weight_with_response_are_refused():
    edges = pd.DataFrame({"source": ["a"], "target": ["b"], "n": [1]})
    with pytest.raises(ValueError, match="no column 'calls'"):
        tarnwick.Network.from_pandas(edges, response="calls")
    with pytest.raises(tarnwick.ArgumentError, match="give one"):
        tarnwick.Network.from_pandas(edges, weight="n", response="n")
    with pytest.raises(tarnwick.ArgumentError, match="two-mode network of counts"):
        tarnwick.Network.from_pandas(edges, response="n", bipartite=True)
    # A reference without counts would be dropped unread.
    with pytest.raises(tarnwick.ArgumentError, match="give response= too"):
        tarnwick.Network.from_pandas(edges, reference="Poisson")


def test_networkx_round_trip_keeps_the_counts():
    edges, _ = count_table()
    net = tarnwick.Network.from_pandas(edges, response="count")
    graph = net.to_networkx()
    assert sorted(graph.edges(data="count")) == sorted(net.counts())
    back = tarnwick.Network.from_networkx(graph, response="count")
    assert back.counts() == net.counts() and back.nodes == net.nodes
    assert tarnwick.summary(back, VALUED).tolist() == tarnwick.summary(net, VALUED).tolist()


def test_a_networkx_edge_without_its_count_or_with_a_bad_one_is_named():
    graph = nx.DiGraph()
    graph.add_edge("a", "b", calls=2)
    graph.add_edge("b", "c")
    with pytest.raises(tarnwick.ArgumentError, match=r"the edge \('b', 'c'\) has no attribute "
                       "'calls'"):
        tarnwick.Network.from_networkx(graph, response="calls")
    graph.edges["b", "c"]["calls"] = 1.5
    with pytest.raises(tarnwick.ArgumentError, match=r"the edge \('b', 'c'\) has the count 1.5"):
        tarnwick.Network.from_networkx(graph, response="calls")
    graph.edges["b", "c"]["calls"] = None
    assert tarnwick.Network.from_networkx(graph, response="calls").missing_dyads == [("b", "c")]


def test_the_parallel_edges_of_a_multigraph_add_their_counts():
    graph = nx.MultiDiGraph()
    graph.add_nodes_from("abc")
    for u, v, w in [("a", "b", 2), ("a", "b", 3), ("b", "a", 1), ("c", "a", 0), ("c", "a", 4)]:
        graph.add_edge(u, v, weight=w)
    net = tarnwick.Network.from_networkx(graph, response="weight")
    matrix = nx.to_numpy_array(graph, nodelist=list("abc"), weight="weight")
    assert sorted(net.counts()) == sorted(
        (u, v, int(matrix[i, j])) for i, u in enumerate("abc") for j, v in enumerate("abc")
        if matrix[i, j] > 0)


def test_a_sparse_matrix_of_counts():
    _, y = count_table()
    net = tarnwick.Network.from_scipy(sp.csr_matrix(y), response="calls")
    assert sorted(net.counts()) == sorted(
        (i, j, int(y[i, j])) for i in range(9) for j in range(9) if y[i, j] > 0)
    y[2, 3] = -1
    with pytest.raises(tarnwick.ArgumentError, match=r"the matrix's entry \(2, 3\) has the count "
                       "-1"):
        tarnwick.Network.from_scipy(sp.csr_matrix(y), response="calls")
    # Undirected: a symmetric matrix gives each pair once; (i, j) and (j, i) must agree.
    _, u = count_table(directed=False)
    net = tarnwick.Network.from_scipy(sp.csr_matrix(u), directed=False, response="calls")
    assert sorted((min(i, j), max(i, j), c) for i, j, c in net.counts()) == sorted(
        (i, j, int(u[i, j])) for i in range(9) for j in range(i + 1, 9) if u[i, j] > 0)
    def pairs(network):
        return sorted((min(i, j), max(i, j), c) for i, j, c in network.counts())

    stored = sp.csr_matrix(u)
    r, c = next((r, c) for r in range(9) for c in range(r + 1, 9) if u[r, c] > 0)
    stored.data[(stored.indptr[c] + list(stored.indices[stored.indptr[c]:stored.indptr[c + 1]])
                 .index(r))] = 0  # a stored 0 where the count is given above the diagonal
    assert stored.nnz == np.count_nonzero(u)
    assert pairs(tarnwick.Network.from_scipy(stored, directed=False, response="calls")) == \
        pairs(net)
    i, j = next((i, j) for i in range(9) for j in range(i) if u[i, j] > 0)
    u[i, j] += 1
    with pytest.raises(tarnwick.ArgumentError, match="a dyad has one count") as raised:
        tarnwick.Network.from_scipy(sp.csr_matrix(u), directed=False, response="calls")
    message = str(raised.value)
    assert f"entry ({i}, {j})" in message and f"entry ({j}, {i})" in message
    assert f"the count {u[i, j]}" in message or f"gives it {u[i, j]}" in message


def test_the_counts_and_reference_survive_pickling(tmp_path):
    edges, _ = count_table()
    net = tarnwick.Network.from_pandas(edges, response="count", reference="Poisson")
    again = pickle.loads(pickle.dumps(net))
    assert again.counts() == net.counts() and again.nodes == net.nodes
    assert (again.response, again.reference) == ("count", "Poisson")
    other = pickle.loads(pickle.dumps(net.with_reference("Geometric")))
    assert other.reference == "Geometric" and other.counts() == net.counts()
    edges.to_csv(tmp_path / "e.csv", index=False)
    read = tarnwick.read(tmp_path / "e.csv", labels=True, response="count")
    read_again = pickle.loads(pickle.dumps(read.with_reference("Poisson")))
    assert read_again.counts() == read.counts() and read_again.reference == "Poisson"
    fit = tarnwick.fit(net, "sum + nonzero", method="mcmle", progress=False)
    fit_again = pickle.loads(pickle.dumps(fit))
    assert (fit_again.response, fit_again.reference) == ("count", "Poisson")
    assert fit_again.network.counts() == net.counts()
    assert fit_again.coef.tolist() == fit.coef.tolist()


def test_a_reference_needs_counts_and_a_fit_needs_mcmle():
    edges, _ = count_table()
    binary = tarnwick.Network.from_pandas(edges[["source", "target"]].head(4))
    with pytest.raises(tarnwick.ArgumentError, match="reference: the network has no counts"):
        tarnwick.fit(binary, "edges", reference="Poisson")
    net = tarnwick.Network.from_pandas(edges, response="count")
    with pytest.raises(tarnwick.ArgumentError, match="no pseudo-likelihood.*method=mcmle"):
        tarnwick.fit(net, "sum", reference="Poisson", progress=False)
    with pytest.raises(tarnwick.ArgumentError, match="give reference"):
        tarnwick.fit(net, "sum", method="mcmle", progress=False)
    with pytest.raises(tarnwick.ArgumentError, match="give response= too"):
        tarnwick.read(EXAMPLES / "advice.csv", reference="Poisson")


def test_compare_tells_fits_of_other_counts_apart():
    edges, _ = count_table()
    net = tarnwick.Network.from_pandas(edges, response="count", reference="Poisson")
    other = edges.assign(count=edges["count"] * 2)  # the same links, other counts
    twice = tarnwick.Network.from_pandas(other, response="count", reference="Poisson")
    fits = [tarnwick.fit(n, "sum + nonzero", method="mcmle", progress=False)
            for n in (net, twice)]
    with pytest.raises(tarnwick.ModelError, match="different networks"):
        tarnwick.compare(*fits)
    dependent = tarnwick.fit(net, VALUED, method="mcmle", progress=False)
    with pytest.raises(tarnwick.ModelError, match="a fit of counts with dyad-dependent terms"):
        tarnwick.compare(fits[0], dependent)


def test_the_command_line_fits_the_same_table_alike(tmp_path):
    edges, _ = count_table()
    edges.to_csv(tmp_path / "e.csv", index=False)
    net = tarnwick.Network.from_pandas(edges, response="count")
    fit = tarnwick.fit(net, VALUED, reference="Poisson", method="mcmle", seed=3, progress=False)
    _, out, _ = run_program("fit", tmp_path / "e.csv", "--labels", "-m", VALUED, "--method",
                            "mcmle", "--json", "-", "--response", "count", "--reference",
                            "Poisson", "--seed", "3")
    theirs = json.loads(out)
    same_estimates(fit.to_dict(), theirs)
    assert fit.converged
    assert (fit.response, fit.reference) == ("count", "Poisson")


def test_simulated_networks_carry_the_counts_their_statistics_are_of():
    edges, _ = count_table()
    net = tarnwick.Network.from_pandas(edges, response="count", reference="Poisson")
    coef = [0.1, -0.5, 0.2]
    graphs = tarnwick.simulate(net, VALUED, coef=coef, n=5, seed=2, progress=False)
    stats = tarnwick.simulate(net, VALUED, coef=coef, n=5, seed=2, stats=True, progress=False)
    assert len(graphs) == 5
    for graph, (_, row) in zip(graphs, stats.iterrows()):
        assert all(isinstance(c, int) and c > 0 for _, _, c in graph.edges(data="count"))
        drawn = tarnwick.Network.from_networkx(graph, response="count")
        assert tarnwick.summary(drawn, VALUED).tolist() == row.tolist()
    # A dyad-independent model is drawn at its exact fit.
    assert len(tarnwick.simulate(net, "sum + nonzero", n=2, progress=False)) == 2


def test_gof_of_a_fit_of_counts_compares_the_counts():
    edges, y = count_table()
    net = tarnwick.Network.from_pandas(edges, response="count")
    fit = tarnwick.fit(net, "sum + nonzero", reference="Poisson", method="mcmle", progress=False)
    result = tarnwick.gof(fit, n=20, progress=False)
    values = result.tables["value"]["observed"]
    off_diagonal = y[~np.eye(9, dtype=bool)]
    assert {int(v): int(c) for v, c in values.items() if c} == {
        int(v): int(c) for v, c in zip(*np.unique(off_diagonal, return_counts=True))}


@pytest.mark.skipif(importlib.util.find_spec("igraph") is None, reason="python3-igraph absent")
def test_an_igraph_graph_of_counts():
    import igraph

    edges, _ = count_table()
    net = tarnwick.Network.from_pandas(edges, response="count")
    graph = igraph.Graph.TupleList(
        ((u, v, c) for u, v, c in net.counts()), directed=True, edge_attrs=["count"])
    again = tarnwick.Network.from_igraph(graph, response="count")
    assert sorted(again.counts()) == sorted(net.counts())


def test_links_with_counts_and_a_self_link_left_out_with_its_note():
    with pytest.warns(tarnwick.TarnwickWarning, match="self"):
        net = tarnwick.Network.from_links(
            "abc", [("a", "b", 2), ("b", "c", 0), ("c", "c", 4), ("c", "a", 1)],
            response="n", reference="Geometric")
    assert net.counts() == [("a", "b", 2), ("c", "a", 1)]
    assert (net.response, net.reference, net.link_count) == ("n", "Geometric", 2)
    with pytest.raises(tarnwick.ArgumentError, match=r"link 1 \('b', 'c'\) has the count -3"):
        tarnwick.Network.from_links("abc", [("a", "b", 2), ("b", "c", -3)], response="n")
    with pytest.raises(tarnwick.ArgumentError, match="give each link as"):
        tarnwick.Network.from_links("abc", [("a", "b")], response="n")


def test_a_table_with_repeated_rows_is_the_table_without_them():
    # One row per dyad is read in one pass, repeated rows dyad by dyad: the same network.
    edges = pd.DataFrame({"source": ["a", "c", "c", "b", "d"], "target": ["b", "c", "a", "a", "e"],
                          "n": [2, 4, 1, 0, float("nan")]})
    repeated = pd.concat([edges, edges.iloc[[0, 2]]], ignore_index=True)
    with pytest.warns(tarnwick.TarnwickWarning, match="self"):
        once = tarnwick.Network.from_pandas(edges, response="n")
    with pytest.warns(tarnwick.TarnwickWarning, match="self"):
        twice = tarnwick.Network.from_pandas(repeated, response="n")
    for net in (once, twice):
        assert net.nodes == ["a", "b", "c", "d", "e"]
        assert net.counts() == [("a", "b", 2), ("c", "a", 1)]
        assert net.missing_dyads == [("d", "e")]
