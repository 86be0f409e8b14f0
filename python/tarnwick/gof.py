"""Goodness of fit: networks drawn from a model compared with the observed network."""

from __future__ import annotations

import math
from typing import Any, Dict, List, Optional, Sequence

from . import _tarnwick
from .errors import ArgumentError, ModelError
from .formula import Formula
from .models import (
    WarningRecord,
    _constraints_of,
    _model_parts,
    _records,
    _refuse_no_estimate,
    _numbers,
    _sampling,
    _warn,
    _whole,
    _with_progress,
)
from .model import referenced
from .progress import ProgressOption

# The features of the comparison (the CSV's `feature`), with their titles and axis labels.
_PANELS = {
    "degree": ("Degree", "degree"),
    "out_degree": ("Out-degree", "out-degree"),
    "in_degree": ("In-degree", "in-degree"),
    "edgewise_shared": ("Edgewise shared partners", "edgewise shared partners"),
    "dyadwise_shared": ("Dyad-wise shared partners", "dyad-wise shared partners"),
    "first_mode_degree": ("Degree, first mode", "degree"),
    "second_mode_degree": ("Degree, second mode", "degree"),
    "first_mode_dyadwise_shared": ("Dyad-wise shared partners, first mode",
                                   "dyad-wise shared partners"),
    "second_mode_dyadwise_shared": ("Dyad-wise shared partners, second mode",
                                    "dyad-wise shared partners"),
    "geodesic": ("Geodesic distances", "geodesic distance"),
    "triad_census": ("Triad census", "triad type"),
    "model": ("Model statistics", "model statistic"),
    "value": ("Counts of the dyads", "count"),
    "strength": ("Strength", "strength"),
    "out_strength": ("Out-strength", "out-strength"),
    "in_strength": ("In-strength", "in-strength"),
}

# Features whose values are categories (the triad types, the model's statistics), not counts.
_CATEGORIES = ("triad_census", "model")


# The columns of the comparison, as the command line's ``gof --csv`` names them.
_COLUMNS = ["observed", "min", "mean", "max", "lower", "upper", "p_value"]


def _value_index(panel: Dict[str, Any], rows: List[Dict[str, Any]]):
    """The index of a feature's table: the values as numbers where the feature counts (degrees,
    partners, distances; "inf" for pairs not connected), as texts where they are categories."""
    import pandas as pd

    values = [row["value"] for row in rows]
    if not panel["numeric"]:
        return pd.Index(values, name="value", dtype=object)
    if all(v.isdigit() for v in values):
        return pd.Index([int(v) for v in values], name="value", dtype="int64")
    return pd.Index([math.inf if v == "inf" else float(v) for v in values], name="value",
                    dtype=float)


class GofResult:
    """The goodness-of-fit tables of :func:`gof`.

    ``table`` is every comparison as one DataFrame, as the command line's ``gof --csv``
    (feature, value, observed, min, mean, max, lower, upper, p_value; lower and upper the
    2.5% and 97.5% points of the simulated values); ``tables`` the same by feature
    (``degree`` or ``out_degree`` and ``in_degree``, ``edgewise_shared``,
    ``dyadwise_shared``, ``geodesic``, ``triad_census`` for a directed network, ``model``;
    a two-mode network has ``first_mode_degree``, ``second_mode_degree``,
    ``first_mode_dyadwise_shared`` and ``second_mode_dyadwise_shared`` in place of the
    degrees and shared partners),
    each indexed by value: numbers where the feature counts (``tables["degree"].loc[2]``;
    geodesic distances end with ``inf``), names where it does not (triad types, statistics).
    ``coef`` the coefficients drawn from, ``warnings`` what the draws said, ``csv`` the
    command line's CSV text. ``plot()`` draws the panels.
    """

    def __init__(self, network, formula: str, result: Dict[str, Any]) -> None:
        import pandas as pd

        self.network = network
        self.formula = formula
        self.result: Dict[str, Any] = result
        self.coef: List[float] = list(result["coefficients"])
        self.warnings: List[WarningRecord] = _records(result["warnings"])
        rows = result["rows"]
        self.table = pd.DataFrame(
            {
                "feature": pd.Series([r["feature"] for r in rows], dtype=object),
                "value": pd.Series([r["value"] for r in rows], dtype=object),
                **{c: pd.Series([r[c] for r in rows], dtype=float) for c in _COLUMNS},
            }
        )
        self.tables = {}
        for panel in result["panels"]:
            own = [r for r in rows if r["feature"] == panel["key"]]
            self.tables[panel["key"]] = pd.DataFrame(
                {c: [r[c] for r in own] for c in _COLUMNS},
                index=_value_index(panel, own),
                dtype=float,
            )

    @property
    def csv(self) -> str:
        """The comparison as the command line's ``gof --csv`` writes it."""
        return _tarnwick.gof_csv(self.result)

    def svg(self) -> str:
        """The command line's figure (``gof --svg``)."""
        return _tarnwick.gof_svg(self.result)

    def html(self) -> str:
        """The command line's page of the figure and the tables (``gof --html``)."""
        return _tarnwick.gof_html(self.result)

    def __getitem__(self, feature: str):
        return self.tables[feature]

    def __repr__(self) -> str:
        return f"<tarnwick.GofResult {self.formula}: {', '.join(self.tables)}>"

    def plot(self, features: Optional[Sequence[str]] = None, columns: int = 3):
        """Draws one panel per feature (all, or those named): the observed values as a line
        over the simulated ones (the 2.5%-97.5% band, the range as whiskers, the mean dashed),
        as statnet's ``plot(gof(...))``; the triad census and the model's statistics as a box
        per value. Returns the matplotlib Figure."""
        import matplotlib.pyplot as plt

        names = list(self.tables) if features is None else list(features)
        for name in names:
            if name not in self.tables:
                raise ArgumentError(f"features: {name!r} is not one of {', '.join(self.tables)}")
        rows = max(1, -(-len(names) // columns))
        width = min(columns, len(names))
        figure, axes = plt.subplots(rows, width, figsize=(4.2 * width, 3.4 * rows), squeeze=False)
        for k, name in enumerate(names):
            ax = axes[k // width][k % width]
            frame = self.tables[name]
            x = list(range(len(frame)))
            if name in _CATEGORIES:
                # Values of their own, not a distribution: a box per value, no line across.
                ax.vlines(x, frame["min"], frame["max"], color="0.6", linewidth=1, label="range")
                ax.vlines(x, frame["lower"], frame["upper"], color="0.75", linewidth=7,
                          label="simulated 95%")
                ax.plot(x, frame["mean"], linestyle="none", marker="_", markersize=10,
                        color="0.3", label="mean")
                ax.plot(x, frame["observed"], linestyle="none", marker="o", markersize=4,
                        color="black", label="observed")
            else:
                ax.fill_between(x, frame["lower"], frame["upper"], color="0.85",
                                label="simulated 95%")
                ax.vlines(x, frame["min"], frame["max"], color="0.6", linewidth=1, label="range")
                ax.plot(x, frame["mean"], color="0.4", linestyle="--", linewidth=1, label="mean")
                ax.plot(x, frame["observed"], color="black", marker="o", markersize=3,
                        linewidth=1.5, label="observed")
            title, axis = _PANELS.get(name, (name, name))
            ax.set_title(title)
            ax.set_xlabel(axis)
            ax.set_xticks(x)
            labels = [("inf" if v == math.inf else f"{v:g}") if isinstance(v, float) else str(v)
                      for v in frame.index]
            ax.set_xticklabels(labels, rotation=90 if name in _CATEGORIES else 0, fontsize=7)
        for k in range(len(names), rows * width):
            axes[k // width][k % width].set_visible(False)
        axes[0][0].legend(fontsize=7)
        figure.tight_layout()
        return figure


def gof(
    model: Any,
    formula: Optional[Formula] = None,
    coef: Optional[Sequence[float]] = None,
    n: int = 100,
    seed: int = 1,
    threads: int = 0,
    chains: int = 8,
    burnin: Optional[int] = None,
    interval: Optional[int] = None,
    offset_coef: Optional[Sequence[float]] = None,
    constraints: Optional[str] = None,
    progress: ProgressOption = None,
    reference: Optional[str] = None,
) -> GofResult:
    """The goodness of fit of a model, as the command line's ``gof``.

    ``model`` is a :class:`FitResult` (its network, formula and estimates, which ``formula``
    and ``coef`` may replace) or a network with a ``formula`` (and ``coef``, one per
    coefficient; without them the pseudo-likelihood estimate, as ``gof`` without ``--coef``).
    ``n`` networks are drawn; ``seed``, ``threads`` (the results do not depend on it),
    ``chains``, ``burnin``, ``interval`` and ``progress`` as for :func:`fit`; ``offset_coef``
    the offset terms' coefficients for the fit made without ``coef``; ``constraints`` as for
    :func:`fit` (a fit's own by default); ``reference`` a model of counts' reference measure
    in place of the network's own, as for :func:`fit` (a model of counts compares the dyads'
    counts, the nodes' strengths and the model's statistics). Returns a
    :class:`GofResult`. Raises ModelError when the networks drawn fill the link store, pile
    up or split (the model is degenerate at the coefficients).
    """
    built, coef = _model_parts(
        model, formula, coef, "gof: give a fit, or a network with a formula", coef_needed=False
    )
    built = referenced(built, reference)
    constraints = _constraints_of(model, constraints)
    result = _with_progress(
        progress,
        _tarnwick.gof,
        built._core,
        _numbers("coef", coef),
        networks=_whole("n", n, 1),
        offset_coef=_numbers("offset_coef", offset_coef),
        constraints=str(constraints or ""),
        **_sampling(seed, threads, chains, burnin, interval),
    )
    _refuse_no_estimate(result)
    records = _records(result["warnings"])
    if not result["made"]:
        raise ModelError(
            "no goodness-of-fit tables: the model is degenerate at these coefficients. "
            + " ".join(r.message for r in records)
        )
    _warn(records, built.network.notes)
    return GofResult(built.network, built.formula, result)
