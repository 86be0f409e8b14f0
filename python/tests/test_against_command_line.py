"""The package gives the command line's figures for the same network, formula and settings."""

import io
import json

import pandas as pd
import pytest

import tarnwick
from conftest import FLORENTINE_FILES, run_program

FORMULA = (
    "edges + triangle + kstar(2) + degree(1) + gwesp(0.5, fixed=TRUE) + nodecov(wealth)"
    " + absdiff(priorates)"
)


def cli_summary(formula, *files):
    _, out, _ = run_program("summary", *files, "-m", formula, "--csv", "-")
    table = pd.read_csv(io.StringIO(out))
    return pd.Series(table["value"].to_numpy(), index=table["name"])


def test_summary_from_networkx_is_the_command_line_s(florentine):
    ours = tarnwick.summary(tarnwick.Network.from_networkx(florentine), FORMULA)
    theirs = cli_summary(FORMULA, *FLORENTINE_FILES)
    assert list(ours.index) == list(theirs.index)
    assert ours.to_numpy().tolist() == theirs.to_numpy().tolist()


def test_summary_of_a_read_file_is_the_command_line_s():
    net = tarnwick.read(
        tarnwick_examples("florentine_marriage.net"),
        undirected=True,
        attributes=tarnwick_examples("florentine_attributes.csv"),
    )
    assert net.node_count == 16 and net.link_count == 20 and not net.directed
    ours = tarnwick.summary(net, FORMULA)
    theirs = cli_summary(FORMULA, *FLORENTINE_FILES)
    assert ours.to_numpy().tolist() == theirs.to_numpy().tolist()


def tarnwick_examples(name):
    from conftest import EXAMPLES

    return EXAMPLES / name


def cli_fit_json(formula, *options):
    _, out, _ = run_program("fit", *FLORENTINE_FILES, "-m", formula, "--json", "-", *options)
    return json.loads(out)


def same_estimates(ours, theirs):
    assert ours["outcome"] == theirs["outcome"]
    assert [p["term"] for p in ours["parameters"]] == [p["term"] for p in theirs["parameters"]]
    for a, b in zip(ours["parameters"], theirs["parameters"]):
        assert a["estimate"] == b["estimate"], a["term"]
        assert a["std_error"] == b["std_error"], a["term"]
    assert ours["covariance"] == theirs["covariance"]


@pytest.mark.parametrize(
    "settings, options",
    [
        ({}, []),
        (
            {"se": "godambe", "replicates": 60, "seed": 7, "threads": 2},
            ["--se", "godambe", "--replicates", "60", "--seed", "7", "--threads", "2"],
        ),
        (
            {"se": "bootstrap", "replicates": 60, "seed": 3, "threads": 1},
            ["--se", "bootstrap", "--replicates", "60", "--seed", "3", "--threads", "1"],
        ),
    ],
)
def test_fit_json_is_the_command_line_s(florentine, settings, options):
    formula = "edges + kstar(2) + nodecov(wealth)"
    fit = tarnwick.fit(tarnwick.Network.from_networkx(florentine), formula, **settings)
    ours = json.loads(fit.to_json())
    theirs = cli_fit_json(formula, *options)
    same_estimates(ours, theirs)
    assert fit.coef.tolist() == [p["estimate"] for p in theirs["parameters"]]
    assert fit.std_error.tolist() == [p["std_error"] for p in theirs["parameters"]]
    assert fit.converged == theirs["converged"]


def test_mcmle_fit_is_the_command_line_s(florentine):
    formula = "edges + gwesp(0.25, fixed=TRUE)"
    fit = tarnwick.fit(
        tarnwick.Network.from_networkx(florentine), formula, method="mcmle", seed=5, threads=2
    )
    ours = json.loads(fit.to_json())
    theirs = cli_fit_json(formula, "--method", "mcmle", "--seed", "5", "--threads", "2")
    same_estimates(ours, theirs)
    assert fit.glance()["method"][0] == "mcmle"


def test_tidy_is_the_command_line_s_csv(florentine):
    formula = "edges + triangle"
    fit = tarnwick.fit(tarnwick.Network.from_networkx(florentine), formula)
    _, out, _ = run_program("fit", *FLORENTINE_FILES, "-m", formula, "--csv", "-")
    pd.testing.assert_frame_equal(fit.tidy(), pd.read_csv(io.StringIO(out)))


def test_a_bad_formula_is_a_model_error_with_the_command_line_s_message(florentine):
    net = tarnwick.Network.from_networkx(florentine)
    for formula in ("edges + gwespp(0.5)", "edges + gwesp(-1, fixed=TRUE)", "nodecov(height)"):
        status, _, err = run_program("summary", *FLORENTINE_FILES, "-m", formula, check=False)
        assert status != 0
        with pytest.raises(tarnwick.ModelError) as raised:
            tarnwick.summary(net, formula)
        assert str(raised.value) in err, (formula, err)
        with pytest.raises(tarnwick.ModelError):
            tarnwick.fit(net, formula)
