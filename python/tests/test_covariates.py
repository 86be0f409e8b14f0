"""Dyadic covariates given as matrices by name (Network.with_covariates), as a user builds them
with numpy and pandas, against the same matrix written as a file for the command line and
against the attribute terms they equal."""

import io

import numpy as np
import pandas as pd
import pytest

import tarnwick
from conftest import FLORENTINE_FILES, run_program


def wealth_gaps(graph):
    """|wealth(i) - wealth(j)| for every pair, rows and columns in the graph's node order."""
    wealth = np.array([graph.nodes[v]["wealth"] for v in graph.nodes], dtype=float)
    return np.abs(wealth[:, None] - wealth[None, :])


def test_a_numpy_matrix_is_the_covariate_of_its_name(florentine):
    import networkx as nx

    net = tarnwick.Network.from_networkx(florentine)
    # networkx's own adjacency matrix, in the graph's order, is the network itself.
    with_gaps = net.with_covariates({"gap": wealth_gaps(florentine),
                                     "a": nx.to_numpy_array(florentine)})
    stats = tarnwick.summary(with_gaps, "edgecov('gap') + absdiff(wealth) + hamming('a')")
    assert stats["edgecov.gap"] == stats["absdiff.wealth"] and stats["hamming.a"] == 0
    # The network itself is unchanged (without the covariate "gap" names a file), and a fit
    # reads the covariate too.
    with pytest.raises(tarnwick.InputError, match='Cannot open "gap"'):
        tarnwick.summary(net, "edgecov('gap')")
    fit = tarnwick.fit(with_gaps, "edges + edgecov('gap')")
    assert list(fit.coef.index) == ["edges", "edgecov.gap"]


def test_a_data_frame_is_read_by_its_labels_and_equals_the_file_the_command_line_reads(
    florentine, tmp_path
):
    gaps = wealth_gaps(florentine)
    families = list(florentine.nodes)
    frame = pd.DataFrame(gaps, index=families, columns=families)
    shuffled = frame.sample(frac=1, random_state=1)[list(reversed(families))]
    net = tarnwick.Network.from_networkx(florentine).with_covariates({"gap": shuffled})
    ours = tarnwick.summary(net, "edgecov('gap')")
    # The same table written as users write it, read as a matrix file by the command line.
    shuffled.to_csv(tmp_path / "gap.csv")
    _, out, _ = run_program(
        "summary", *FLORENTINE_FILES, "-m", f"edgecov('{tmp_path / 'gap.csv'}')", "--csv", "-")
    theirs = pd.read_csv(io.StringIO(out))
    assert theirs["value"].tolist() == ours.tolist()
    assert ours.iloc[0] == tarnwick.summary(net, "absdiff(wealth)").iloc[0]


def test_a_matrix_of_another_shape_or_labels_is_an_argument_error(florentine):
    net = tarnwick.Network.from_networkx(florentine)
    with pytest.raises(tarnwick.ArgumentError, match="16 by 16"):
        net.with_covariates({"gap": np.zeros((15, 16))})
    frame = pd.DataFrame(np.zeros((16, 16)), index=range(16), columns=range(16))
    with pytest.raises(tarnwick.ArgumentError, match="node labels"):
        net.with_covariates({"gap": frame})
    with pytest.raises(tarnwick.ArgumentError, match="finite"):
        net.with_covariates({"gap": np.full((16, 16), np.nan)})
