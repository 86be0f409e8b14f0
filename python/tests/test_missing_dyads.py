"""Missing dyads (NA) from Python: a NaN link value or networkx's na=True marks a dyad not
observed and the fit leaves it out, and a missing= file reads as on the command line."""

import math
import warnings

import networkx as nx
import pandas as pd
import pytest

import tarnwick


def quiet(build):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        return build()


def test_nan_values_are_missing_dyads_and_the_fit_leaves_them_out():
    edges = pd.DataFrame(
        {
            "source": ["a", "b", "c", "a", "d", "b", "c"],
            "target": ["b", "c", "a", "d", "b", "d", "d"],
            "value": [1, 1, 1, float("nan"), 1, None, 0],
        }
    )
    net = quiet(lambda: tarnwick.Network.from_pandas(edges, weight="value"))
    assert sorted(net.missing_dyads) == [("a", "d"), ("b", "d")]
    assert net.link_count == 4
    # The fit leaves them out: the log-odds of links among the observed dyads.
    fit = quiet(lambda: tarnwick.fit(net, "edges"))
    assert fit.coef["edges"] == pytest.approx(math.log(4 / (4 * 3 - 2 - 4)), abs=1e-8)


def test_networkx_na_attribute_marks_a_missing_dyad():
    g = nx.Graph()
    g.add_edges_from([(1, 2), (2, 3), (3, 4)])
    g.add_edge(1, 4, na=True)
    net = quiet(lambda: tarnwick.Network.from_networkx(g))
    assert net.missing_dyads == [(1, 4)]
    assert net.link_count == 3


def test_a_dyad_both_linked_and_missing_is_refused():
    with pytest.raises(tarnwick.InputError, match="missing"):
        quiet(lambda: tarnwick.Network.from_links(["a", "b"], [("a", "b")], missing=[("a", "b")]))


def test_read_takes_a_missing_file(tmp_path):
    (tmp_path / "e.csv").write_text("from,to\n1,2\n2,3\n3,1\n")
    (tmp_path / "m.csv").write_text("1,3\n2,1\n")
    net = quiet(lambda: tarnwick.read(tmp_path / "e.csv", missing=tmp_path / "m.csv"))
    assert sorted(net.missing_dyads) == [("1", "3"), ("2", "1")]
