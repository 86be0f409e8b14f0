"""The package gives the command line's figures for the same network, formula and settings."""

import io
import json

import pandas as pd
import pytest

import tarnwick
from conftest import EXAMPLES, FLORENTINE_FILES, run_program

FORMULA = (
    "edges + triangle + kstar(2) + degree(1) + gwesp(0.5, fixed=TRUE) + nodecov(wealth)"
    " + absdiff(priorates)"
)


def cli_summary(formula, *files):
    _, out, _ = run_program("summary", *files, "-m", formula, "--csv", "-")
    table = pd.read_csv(io.StringIO(out))
    return pd.Series(table["value"].to_numpy(), index=table["name"])


def read_florentine():
    return tarnwick.read(EXAMPLES / "florentine_marriage.net", undirected=True,
                         attributes=EXAMPLES / "florentine_attributes.csv")


def test_summary_is_the_command_line_s(florentine):
    # read() of the same files is the command line's reader: test_gof_is_the_command_line_s.
    ours = tarnwick.summary(tarnwick.Network.from_networkx(florentine), FORMULA)
    theirs = cli_summary(FORMULA, *FLORENTINE_FILES)
    assert list(ours.index) == list(theirs.index)
    assert ours.to_numpy().tolist() == theirs.to_numpy().tolist()


def graph_files(graph, folder):
    """The graph as the files a user writes of it with pandas: its edges (in networkx's order)
    and a node table; the command line's data options that read them."""
    import networkx as nx

    nx.to_pandas_edgelist(graph).to_csv(folder / "edges.csv", index=False)
    nodes = pd.DataFrame.from_dict(dict(graph.nodes(data=True)), orient="index")
    nodes.index.name = "family"
    nodes.to_csv(folder / "nodes.csv")
    options = [folder / "edges.csv", "--labels", "--attributes", folder / "nodes.csv"]
    return options + ([] if graph.is_directed() else ["--undirected"])


def cli_fit_json(files, formula, *options):
    _, out, _ = run_program("fit", *files, "-m", formula, "--json", "-", *options)
    return json.loads(out)


def same_estimates(ours, theirs):
    assert ours["outcome"] == theirs["outcome"]
    assert [p["term"] for p in ours["parameters"]] == [p["term"] for p in theirs["parameters"]]
    for a, b in zip(ours["parameters"], theirs["parameters"]):
        assert a["estimate"] == b["estimate"], a["term"]
        assert a["std_error"] == b["std_error"], a["term"]
    assert ours["covariance"] == theirs["covariance"]


GW = "edges + gwesp(0.25, fixed=TRUE)"


@pytest.mark.parametrize(
    "formula, settings, options",
    [
        ("edges + kstar(2) + nodecov(wealth)", {}, []),
        (
            "edges + kstar(2) + nodecov(wealth)",
            {"se": "godambe", "replicates": 60, "seed": 7, "threads": 2},
            ["--se", "godambe", "--replicates", "60", "--seed", "7", "--threads", "2"],
        ),
        (
            "edges + kstar(2) + nodecov(wealth)",
            {"se": "bootstrap", "replicates": 60, "seed": 3, "threads": 1},
            ["--se", "bootstrap", "--replicates", "60", "--seed", "3", "--threads", "1"],
        ),
        ("edges + kstar(2) + nodecov(wealth)", {"dyad_sample": 40, "seed": 5},
         ["--dyad-sample", "40", "--seed", "5"]),
        (GW, {"method": "mcmle", "seed": 5, "threads": 2},
         ["--method", "mcmle", "--seed", "5", "--threads", "2"]),
        (GW, {"method": "ee", "seed": 3, "threads": 2, "ee_tasks": 2, "ee_gain": 0.1,
              "ee_draws": 16},
         ["--method", "ee", "--seed", "3", "--threads", "2", "--ee-tasks", "2", "--ee-gain", "0.1",
          "--ee-draws", "16"]),
    ],
)
def test_fit_json_is_the_command_line_s(florentine, tmp_path, formula, settings, options):
    fit = tarnwick.fit(tarnwick.Network.from_networkx(florentine), formula, **settings)
    ours = json.loads(fit.to_json())
    files = graph_files(florentine, tmp_path)
    theirs = cli_fit_json(files, formula, *options)
    same_estimates(ours, theirs)
    assert fit.coef.tolist() == [p["estimate"] for p in theirs["parameters"]]
    assert fit.std_error.tolist() == [p["std_error"] for p in theirs["parameters"]]
    assert fit.converged == theirs["converged"]
    assert fit.glance()["method"][0] == settings.get("method", "mple")
    if not settings:  # the results table as the command line's --csv
        _, out, _ = run_program("fit", *files, "-m", formula, "--csv", "-")
        pd.testing.assert_frame_equal(fit.tidy(), pd.read_csv(io.StringIO(out)))
    if "dyad_sample" in settings:
        assert ours["mple"]["dyad_sample"]["controls"] == 40
    if settings.get("method") == "ee":
        walk = ours["ee"]["equilibrium_expectation"]
        assert (walk["tasks"], walk["gain"], walk["effective_draws"]) == (2, 0.1, 16)


def test_a_bad_formula_is_a_model_error_with_the_command_line_s_message(florentine):
    built = tarnwick.Network.from_networkx(florentine)
    read = read_florentine()
    for formula in ("edges + gwespp(0.5)", "edges + gwesp(-1, fixed=TRUE)", "nodecov(height)"):
        status, _, err = run_program("summary", *FLORENTINE_FILES, "-m", formula, check=False)
        assert status == 2
        with pytest.raises(tarnwick.ModelError) as raised:
            tarnwick.summary(read, formula)
        # The command line ran in examples/ with the files' short names.
        message = str(raised.value).replace(f"{EXAMPLES}/", "")
        assert f"tarnwick: {message}\n" == err
        for network in (built, read):
            with pytest.raises(tarnwick.ModelError):
                tarnwick.fit(network, formula)
