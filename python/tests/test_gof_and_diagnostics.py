"""Goodness of fit, the iterations of a maximum-likelihood fit, and their plots."""

import io

import pandas as pd
import pytest

import tarnwick
from conftest import EXAMPLES, FLORENTINE_FILES, run_program


def pyplot():
    """matplotlib's pyplot on the Agg backend (no display); skips without matplotlib."""
    matplotlib = pytest.importorskip("matplotlib")
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    return plt


@pytest.mark.parametrize(
    "case, formula, settings, files, options, tables",
    [
        ("pseudo-likelihood fit", "edges + triangle + nodecov(wealth)",
         dict(n=60, seed=3, threads=2), FLORENTINE_FILES,
         ["--networks", 60, "--seed", 3, "--threads", 2],
         ["degree", "edgewise_shared", "dyadwise_shared", "geodesic", "model"]),
        ("directed", "edges + mutual", dict(n=40, seed=7, threads=1), ["advice.csv"],
         ["--networks", 40, "--seed", 7, "--threads", 1],
         ["out_degree", "in_degree", "edgewise_shared", "dyadwise_shared", "geodesic",
          "triad_census", "model"]),
        ("given coefficients", "edges + triangle", dict(coef=[-1.6, 0.1], n=30, seed=5),
         FLORENTINE_FILES, ["--coef", "-1.6,0.1", "--networks", 30, "--seed", 5],
         ["degree", "edgewise_shared", "dyadwise_shared", "geodesic", "model"]),
    ],
)
def test_gof_is_the_command_line_s(case, formula, settings, files, options, tables):
    net = (tarnwick.read(EXAMPLES / "advice.csv") if case == "directed" else
           tarnwick.read(EXAMPLES / "florentine_marriage.net", undirected=True,
                         attributes=EXAMPLES / "florentine_attributes.csv"))
    ours = tarnwick.gof(net, formula, **settings)
    status, theirs, err = run_program("gof", *files, "--model", formula, *options, "--csv", "-",
                                      "--quiet")
    assert status == 0, err
    assert ours.csv == theirs
    table = pd.read_csv(io.StringIO(theirs), dtype={"value": str}, keep_default_na=False,
                        na_values=["NA", "NaN", "nan"])
    pd.testing.assert_frame_equal(ours.table, table)
    assert list(ours.tables) == tables
    assert list(ours["model"].index) == list(tarnwick.summary(net, formula).index)
    if "coef" in settings:
        assert ours.coef == settings["coef"]


def test_gof_of_a_fit_draws_at_its_estimates(florentine):
    fit = tarnwick.fit(florentine, "edges + triangle")
    of_fit = tarnwick.gof(fit, n=30, seed=2)
    given = tarnwick.gof(florentine, "edges + triangle", coef=list(fit.coef), n=30, seed=2)
    assert of_fit.csv == given.csv  # the same for any threads: Library in the C++ tests


def test_gof_plot_is_a_figure(florentine):
    plt = pyplot()
    import matplotlib.figure

    result = tarnwick.gof(florentine, "edges + triangle", n=20)
    figure = result.plot()
    assert isinstance(figure, matplotlib.figure.Figure)
    assert len([ax for ax in figure.axes if ax.get_visible()]) == len(result.tables)
    plt.close(figure)


def test_diagnostics_of_an_mcmle_fit_has_a_row_per_iteration(florentine):
    fit = tarnwick.fit(florentine, "edges + triangle", method="mcmle", seed=2)
    diagnostics = fit.diagnostics()
    assert len(diagnostics) == fit.to_dict()["mcmle"]["iterations"] == fit.iterations
    assert list(diagnostics.index) == list(range(1, fit.iterations + 1))
    assert {"max_abs_t_ratio", "step_length", "networks"} <= set(diagnostics.columns)
    plt = pyplot()
    import matplotlib.figure

    figure = diagnostics.plot()
    assert isinstance(figure, matplotlib.figure.Figure)
    plt.close(figure)


@pytest.mark.parametrize(
    "call, error, words",
    [
        (lambda g: tarnwick.gof(g, "edges + triangle", coef=[-6.0, 0.0], n=20), tarnwick.ModelError,
         "no goodness-of-fit tables: the model is degenerate"),
        (lambda g: tarnwick.gof(g), ValueError, "gof: give a fit, or a network with a formula"),
        (lambda g: tarnwick.fit(g, "edges + triangle").diagnostics(), ValueError, "mcmle"),
    ],
    ids=["degenerate", "no formula", "diagnostics of mple"],
)
def test_what_has_no_tables_is_refused(florentine, call, error, words):
    with pytest.raises(error, match=words):
        call(florentine)
