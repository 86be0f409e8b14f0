"""Missing dyads (NA) from Python: a NaN value, networkx's na=True or missing= marks a dyad not
observed in every constructor (and a value 0 is no link), the fit leaves such dyads out, and a
missing= file reads as on the command line."""

import math
import warnings

import networkx as nx
import numpy as np
import pandas as pd
import pytest
import scipy.sparse as sp

import tarnwick

# Every constructor below gives these links and missing dyads of the nodes a, b, c, d.
LINKS, MISSING = [("a", "b"), ("b", "c")], [("a", "d"), ("d", "b")]
VALUES = [("a", "b", 2.5), ("b", "c", 1), ("c", "a", 0), ("a", "d", float("nan"))]


def quiet(build):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        return build()


def graph(kind):
    g = kind()
    g.add_weighted_edges_from(VALUES)
    g.add_edge("d", "b", na=True)
    return g


def table():
    return pd.DataFrame(VALUES + [("d", "b", None)], columns=["source", "target", "value"])


def matrix():
    m = np.zeros((4, 4))
    for u, v, w in VALUES + [("d", "b", float("nan"))]:
        m["abcd".index(u), "abcd".index(v)] = w
    return sp.coo_matrix(m)


@pytest.mark.parametrize(
    "build",
    [
        lambda: tarnwick.Network.from_networkx(graph(nx.DiGraph)),
        lambda: tarnwick.Network.from_networkx(graph(nx.Graph)),
        lambda: tarnwick.Network.from_networkx(graph(nx.MultiDiGraph)),
        lambda: tarnwick.Network.from_networkx(graph(nx.MultiGraph)),
        lambda: tarnwick.Network.from_pandas(table(), weight="value"),
        lambda: tarnwick.Network.from_scipy(matrix(), nodes=list("abcd")),
        lambda: tarnwick.Network.from_links("abcd", LINKS, missing=MISSING),
    ],
    ids=["DiGraph", "Graph", "MultiDiGraph", "MultiGraph", "pandas", "scipy", "links"],
)
def test_a_missing_value_is_a_dyad_not_observed_in_every_constructor(build):
    net = quiet(build)
    key = tuple if net.directed else frozenset
    assert {key(link) for link in net.links()} == {key(link) for link in LINKS}
    assert {key(dyad) for dyad in net.missing_dyads} == {key(dyad) for dyad in MISSING}


def test_the_fit_leaves_the_missing_dyads_out():
    net = quiet(lambda: tarnwick.Network.from_pandas(table(), weight="value"))
    fit = quiet(lambda: tarnwick.fit(net, "edges"))
    # The log-odds of links among the observed dyads: 2 links of 4 * 3 - 2.
    assert fit.coef["edges"] == pytest.approx(math.log(2 / (4 * 3 - 2 - 2)), abs=1e-8)


def test_a_dyad_both_linked_and_missing_is_refused():
    with pytest.raises(tarnwick.InputError, match="missing"):
        quiet(lambda: tarnwick.Network.from_links(["a", "b"], [("a", "b")], missing=[("a", "b")]))


def test_read_takes_a_missing_file(tmp_path):
    (tmp_path / "e.csv").write_text("from,to\n1,2\n2,3\n3,1\n")
    (tmp_path / "m.csv").write_text("1,3\n2,1\n")
    net = quiet(lambda: tarnwick.read(tmp_path / "e.csv", missing=tmp_path / "m.csv"))
    assert sorted(net.missing_dyads) == [("1", "3"), ("2", "1")]
