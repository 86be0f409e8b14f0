"""A formula's statistics, fits and simulation: the library's calls with pandas results."""

from __future__ import annotations

import html
import json
import numbers
import warnings
from typing import Any, Dict, List, NamedTuple, Optional, Sequence

from . import _tarnwick, fit_tools
from .errors import ArgumentError, ModelError, TarnwickWarning
from .formula import Formula
from .model import Model, as_model, referenced
from .network import Network, _worded
from .progress import ProgressOption, progress_reporter


class WarningRecord(NamedTuple):
    """One warning of a fit or simulation: its code (as in the JSON), its message, and the
    figures it is made of (a dict by name)."""

    code: str
    message: str
    figures: Dict[str, Any] = {}


def _records(values: Sequence[Dict[str, Any]]) -> List[WarningRecord]:
    """The records with their messages as Python names the settings (``sample_size``, where
    the command line says ``--sample-size``)."""
    return [
        WarningRecord(
            v["code"],
            _worded(v),
            {f["name"]: f["value"] for f in v["figures"]},
        )
        for v in values
    ]


def _whole(name: str, value: Any, least: int) -> int:
    if isinstance(value, bool) or not isinstance(value, numbers.Integral):
        raise ArgumentError(f"{name}: give a whole number, not {value!r}")
    if value < least:
        raise ArgumentError(f"{name}: give {least} or more, not {value}")
    return int(value)


def _optional_count(name: str, value: Optional[int], least: int) -> int:
    return -1 if value is None else _whole(name, value, least)


def _sampling(seed: Any, threads: Any, chains: Any, burnin: Any, interval: Any) -> Dict[str, int]:
    """The sampler's settings as the core takes them, each checked and named if wrong."""
    return dict(
        seed=_whole("seed", seed, 0),
        threads=_whole("threads", threads, 0),
        chains=_whole("chains", chains, 1),
        burnin=_optional_count("burnin", burnin, 0),
        interval=_optional_count("interval", interval, 1),
    )


def _with_progress(progress: Any, work, *arguments, **settings):
    """Runs ``work(*arguments, **settings, progress=callback)`` with the progress shown."""
    callback, close = progress_reporter(progress)
    try:
        return work(*arguments, **settings, progress=callback)
    finally:
        close()


def _numbers(name: str, values: Any) -> List[float]:
    if values is None:
        return []
    if isinstance(values, dict):
        raise ArgumentError(f"{name}: give the numbers in order, as a list or a pandas Series")
    result = []
    for v in list(values):
        if isinstance(v, bool) or not isinstance(v, numbers.Real):
            raise ArgumentError(f"{name}: {v!r} is not a number")
        result.append(float(v))
    return result


def _refuse_no_estimate(result: Dict[str, Any]) -> None:
    """Raises ModelError when draws without coefficients found no estimate to draw at."""
    if result["outcome"] == "no_estimate":
        why = "".join(" " + record.message for record in _records(result["warnings"]))
        raise ModelError(
            "the fit gave no estimate to simulate from; give the coefficients (coef=)." + why
        )


def _refuse_undrawn(result: Dict[str, Any]) -> None:
    """Raises ModelError, with the figures, when no network of the model could be drawn (a
    chain filled the link store)."""
    if result["outcome"] == "degenerate":
        why = " ".join(record.message for record in _records(result["warnings"]))
        raise ModelError("simulate: " + (why or "no networks were drawn."))


def _warn(records: Sequence[WarningRecord], already: Sequence[str] = ()) -> None:
    for record in records:
        if record.message not in already:
            warnings.warn(record.message, TarnwickWarning, stacklevel=3)


def summary(network: Any, formula: Optional[Formula] = None):
    """The statistics of a statnet formula on the network, as ``summary(net ~ formula)``.

    Returns a pandas Series indexed by the statistics' ergm names (``edges``,
    ``gwesp.fixed.0.5``, ``nodematch.wealth`` ...). ``network`` is a :class:`Network`, a
    networkx graph or a :class:`Model` (then without a formula); ``formula`` a text
    (``"edges + triangle"``; ``True``/``TRUE`` both accepted) or a list of terms. Raises
    ModelError for a formula that does not fit.

    A networkx graph is converted anew at every call (of :func:`summary`, :func:`fit`,
    :func:`simulate`, :func:`gof`): on a graph of 10^5 nodes and 2 x 10^5 edges a summary
    takes 0.75 to 0.95 s, against 0.17 to 0.23 s from a :class:`Network`. For more than one
    call, convert once: ``net = tarnwick.Network.from_networkx(graph)``.
    """
    return as_model(network, formula).statistics()


def estimators() -> Dict[str, str]:
    """The estimators there are (``method=`` of :func:`fit`), with one line on each."""
    return {name: description for name, description, _ in _tarnwick.estimators()}


# The tidy table's columns, as the command line's --csv names them.
_TIDY_COLUMNS = [
    "term", "estimate", "std_error", "z", "p_value", "conf_low", "conf_high", "type",
    "block_type", "exp_estimate", "std_error_method", "outcome", "method",
    "mcmc_error_percent", "directed", "offset",
]


class FitResult:
    """One fit: estimates, standard errors and everything the command line reports.

    Attributes: ``coef`` and ``std_error`` (pandas Series by coefficient name), ``cov``
    (DataFrame), ``method``, ``errors`` (how the standard errors were made), ``outcome``,
    ``converged``, ``loglik``, ``aic``, ``bic``, ``iterations``, ``seconds``, ``warnings``
    (a list of WarningRecord), ``network`` and ``formula`` (as fitted), ``estimate`` (every
    number of the fit, as a dict). Methods: ``tidy()``, ``glance()``, ``summary()`` (as ergm
    prints it), ``screen()`` (as the command line shows it),
    ``to_json()``, ``to_dict()``, ``diagnostics()``, ``predict()``, ``to_frame()``,
    ``save(path)`` (and pickling).
    """

    def __init__(self, model: Model, estimate: Dict[str, Any]) -> None:
        import pandas as pd

        self.model = model
        self.network: Network = model.network
        self.formula: str = model.formula
        self.estimate: Dict[str, Any] = estimate
        rows = estimate["coefficients"]
        names = [row["name"] for row in rows]
        index = pd.Index(names, name="term")
        self.coef = pd.Series([r["estimate"] for r in rows], index=index, name="estimate",
                              dtype=float)
        self.std_error = pd.Series([r["std_error"] for r in rows], index=index,
                                   name="std_error", dtype=float)
        self.cov = pd.DataFrame(
            estimate["covariance"] if estimate["estimated"]
            else [[float("nan")] * len(names) for _ in names],
            index=pd.Index(names),
            columns=pd.Index(names),
            dtype=float,
        )
        self.method: str = estimate["method"]
        self.errors: str = estimate["errors"]
        self.outcome: str = estimate["outcome"]
        self.converged: bool = bool(estimate["converged"])
        self.loglik: Optional[float] = estimate["log_likelihood"]
        self.aic: Optional[float] = estimate["aic"]
        self.bic: Optional[float] = estimate["bic"]
        self.iterations: int = estimate["iterations"]
        self.seconds: float = estimate["seconds"]
        self.warnings: List[WarningRecord] = _records(estimate["warnings"])
        self.constraints: str = estimate.get("constraints", "")
        # A model of counts: the name of its counts and its reference measure (None: binary).
        self.response: Optional[str] = estimate["network"].get("response") or None
        self.reference: Optional[str] = estimate["network"].get("reference") or None

    def tidy(self):
        """One row per coefficient, as the command line's ``--csv`` (broom's tidy form:
        term, estimate, std_error, z, p_value, conf_low, conf_high, type, block_type,
        exp_estimate, std_error_method, outcome, method, mcmc_error_percent, directed,
        offset)."""
        import pandas as pd

        e = self.estimate
        shares = e["mcmc_error_percent"]
        rows = []
        for k, row in enumerate(e["coefficients"]):
            term = e["terms"][row["term"]]
            rows.append([
                row["name"], row["estimate"], row["std_error"], row["z"], row["p_value"],
                row["conf_low"], row["conf_high"], term["configuration_type"],
                term["block_type"], row["exp_estimate"], e["errors"], e["outcome"], e["method"],
                shares[k] if k < len(shares) else float("nan"), e["network"]["directed"],
                bool(row["offset"]),
            ])
        frame = pd.DataFrame(rows, columns=_TIDY_COLUMNS)
        for column in ("estimate", "std_error", "z", "p_value", "conf_low", "conf_high",
                       "exp_estimate", "mcmc_error_percent"):
            frame[column] = frame[column].astype(float)
        return frame

    def glance(self):
        """One row on the fit as a whole: method, outcome, converged, loglik, AIC, BIC,
        iterations and time (seconds)."""
        import pandas as pd

        return pd.DataFrame(
            [
                {
                    "method": self.method,
                    "std_error_method": self.errors,
                    "outcome": self.outcome,
                    "converged": self.converged,
                    "loglik": self.loglik,
                    "AIC": self.aic,
                    "BIC": self.bic,
                    "iterations": self.iterations,
                    "time": self.seconds,
                }
            ]
        )

    def summary(self) -> str:
        """The fit as ergm's ``summary()`` prints it: the coefficient table (Estimate, Std.
        Error, MCMC %, z value, Pr(>|z|)), the null and residual deviances, AIC and BIC."""
        return _tarnwick.ergm_summary(self.estimate)

    def screen(self) -> str:
        """The command line's summary of the fit, as ``tarnwick fit`` shows it on the screen
        (the network, the fit's figures, the sampler's and estimator's record)."""
        return _tarnwick.fit_screen(self.estimate)

    def to_json(self) -> str:
        """The command line's JSON results (``fit --json``), every figure of the fit."""
        return _tarnwick.fit_json(self.estimate)

    def to_dict(self) -> Dict[str, Any]:
        """The JSON results read into Python objects."""
        return json.loads(self.to_json())

    def diagnostics(self) -> "Diagnostics":
        """The iterations of an mcmle fit, one row each (index ``iteration``): the networks
        drawn, the step length, the largest |t| of the statistics' distance from the observed
        ones, the Hotelling p-value, the effective sample size, the sampler's interval and
        toggles, and whether a chain filled the link store, as the JSON's
        ``mcmle.history`` gives them (the closing check sample, drawn after the last
        iteration, is in ``estimate["mcmle"]``). ``.plot()`` draws the largest |t| and the
        step by iteration. Raises ValueError for a fit that is not mcmle."""
        import pandas as pd

        record = self.estimate["mcmle"]
        if self.method != "mcmle" or record is None:
            raise ArgumentError(
                f"diagnostics: a {self.method} fit has no iterations to show; "
                "they are those of method='mcmle'"
            )
        rows = [
            {
                "iteration": i["number"],
                "networks": i["networks"],
                "step_length": i["step"],
                "max_abs_t_ratio": i["max_abs_t"],
                "hotelling_p_value": i["p_value"],
                "effective_sample_size": i["effective_size"],
                "interval": i["interval"],
                "toggles": i["toggles"],
                "filled": i["filled"],
                "evidence": i["evidence"],
            }
            for i in record["history"]
            if not i["final_sample"]
        ]
        frame = pd.DataFrame(rows)
        if frame.empty:
            frame = pd.DataFrame(columns=["iteration"])
        return Diagnostics(frame.set_index("iteration"))

    def predict(self):
        """The probability of each dyad's tie given the rest of the network (ergm's
        ``predict``): a DataFrame of ``tail``, ``head`` and ``p``."""
        return fit_tools.predict(self)

    def to_frame(self):
        """The coefficient table indexed by term (estimate, std_error, z, p_value, the
        interval, mcmc_error_percent, offset)."""
        return fit_tools.coefficient_frame(self)

    def save(self, path) -> None:
        """Writes the fit to ``path`` (a pickle); :func:`tarnwick.load_fit` reads it."""
        fit_tools.save(self, path)

    def __reduce__(self):
        return (_fit_of, (self.network, self.formula, self.estimate))

    def __str__(self) -> str:
        return self.screen()

    def __repr__(self) -> str:
        terms = ", ".join(f"{n}={v:.4g}" for n, v in self.coef.items())
        return f"<tarnwick.FitResult {self.method}, {self.outcome}: {terms}>"

    def _repr_html_(self) -> str:
        rows = []
        tidy = self.tidy()
        shown = [c for c in ("term", "estimate", "std_error", "z", "p_value") if c in tidy]
        head = "".join(f"<th>{html.escape(c)}</th>" for c in shown)
        for _, row in tidy.iterrows():
            cells = []
            for c in shown:
                value = row[c]
                text = f"{value:.4f}" if isinstance(value, float) else str(value)
                cells.append(f"<td>{html.escape(text)}</td>")
            rows.append("<tr>" + "".join(cells) + "</tr>")
        caption = html.escape(
            f"{self.formula} -- {self.method}, standard errors {self.errors}, {self.outcome}"
        )
        notes = "".join(f"<p><small>{html.escape(w.message)}</small></p>" for w in self.warnings)
        return (
            f"<div><table><caption>{caption}</caption><thead><tr>{head}</tr></thead>"
            f"<tbody>{''.join(rows)}</tbody></table>{notes}</div>"
        )


def _fit_of(network: Network, formula: str, estimate: Dict[str, Any]) -> FitResult:
    return FitResult(Model(network, formula), estimate)


class Diagnostics:
    """The iterations of an mcmle fit (:meth:`FitResult.diagnostics`): ``frame`` is the
    DataFrame (also reached through ``len``, ``[]``, attribute access to its columns and
    ``to_frame()``); ``plot()`` draws the largest |t| and the step length by iteration."""

    def __init__(self, frame) -> None:
        self.frame = frame

    def to_frame(self):
        return self.frame.copy()

    def __len__(self) -> int:
        return len(self.frame)

    def __getitem__(self, key):
        return self.frame[key]

    def __getattr__(self, name: str):
        if name == "frame":
            raise AttributeError(name)
        return getattr(self.frame, name)

    def __repr__(self) -> str:
        return repr(self.frame)

    def _repr_html_(self) -> str:
        return self.frame._repr_html_()

    def plot(self):
        """Two panels by iteration: the largest |t| (how far the simulated statistics are
        from the observed ones) and the step length. Returns the matplotlib Figure."""
        import matplotlib.pyplot as plt
        from matplotlib.ticker import MaxNLocator

        figure, (top, bottom) = plt.subplots(2, 1, figsize=(6, 5), sharex=True)
        bottom.xaxis.set_major_locator(MaxNLocator(integer=True))
        x = list(self.frame.index)
        if "max_abs_t_ratio" in self.frame:
            top.plot(x, self.frame["max_abs_t_ratio"], marker="o", color="black")
        top.set_ylabel("largest |t|")
        top.set_yscale("log")
        if "step_length" in self.frame:
            bottom.plot(x, self.frame["step_length"], marker="o", color="black")
        bottom.set_ylabel("step length")
        bottom.set_ylim(0, 1.05)
        bottom.set_xlabel("iteration")
        top.set_title("Maximum likelihood by MCMC: iterations")
        figure.tight_layout()
        return figure


def fit(
    network: Any,
    formula: Optional[Formula] = None,
    method: str = "mple",
    se: str = "naive",
    seed: int = 1,
    threads: int = 0,
    replicates: int = 500,
    init: Optional[Sequence[float]] = None,
    sample_size: int = 1024,
    max_iterations: int = 60,
    error_precision: float = 0.05,
    chains: int = 8,
    burnin: Optional[int] = None,
    interval: Optional[int] = None,
    dyad_sample: Optional[int] = None,
    ee_tasks: int = 4,
    ee_gain: float = 0.03,
    ee_draws: int = 128,
    offset_coef: Optional[Sequence[float]] = None,
    constraints: Optional[str] = None,
    progress: ProgressOption = None,
    reference: Optional[str] = None,
) -> FitResult:
    """Fits an exponential random graph model of the formula to the network.

    Parameters
    ----------
    network : Network, networkx graph, or a :class:`Model` (then without a formula)
    formula : a statnet formula (``"edges + gwesp(0.5, fixed=True)"``) or a list of terms
    method : the estimator, a name of :func:`estimators`:
{estimators}    se : the standard errors of an mple fit: ``"naive"``, ``"godambe"`` or ``"bootstrap"``
    seed : the seed of the random numbers (0 or more)
    threads : threads to use, 0 for every core (the results do not depend on it)
    replicates : simulated networks for godambe and bootstrap errors
    init : mcmle: the starting coefficients (default: the pseudo-likelihood estimate)
    sample_size, max_iterations : mcmle: networks per iteration, iterations at most
    error_precision : mcmle, ee: the relative Monte Carlo error the standard errors may carry
        (0.01 to 0.5); the final sample grows to it (the command line's ``--error-precision``)
    chains, burnin, interval : the sampler's chains and spacing (None: the defaults)
    dyad_sample : mple: fit every linked dyad and this many empty ones drawn (case-control, the
        command line's ``--dyad-sample``; the errors then include the sampling's share). None:
        every dyad, or ergm's sample size past 10^9 dyads
    ee_tasks, ee_gain, ee_draws : ee: its tasks, the gain of its steps per autocorrelation time
        and the effective draws it averages over (the command line's ``--ee-tasks``,
        ``--ee-gain``, ``--ee-draws``)
    offset_coef : the coefficients of the formula's offset terms (``offset(term)``), in their
        order, held fixed (``float("-inf")`` forbids what the term counts); the command line's
        ``--offset-coef``
    constraints : the networks fitted over, as ergm's ``constraints = ~ ...`` without ``~``
        (``'bd(maxout=5) + blockdiag("school")'``); the command line's ``--constraints``
    progress : None (a tqdm bar on a terminal), True, False, or a callable
        ``progress(done, total, stage)``
    reference : a network of counts: the model's reference measure (ergm's ``reference=``
        without ``~``: ``"Poisson"``, ``"Geometric"``, ``"Binomial(trials=3)"``,
        ``"DiscUnif(0, 5)"``, ``"Bernoulli"``), in place of the network's own. A model of counts
        is fitted with ``method="mcmle"`` only (a dyad-independent one exactly)

    A networkx graph is converted at every call; for several calls on one graph convert it once
    with :meth:`Network.from_networkx` (see :func:`summary` for the figures).

    The command line's ``fit`` with the same settings gives the same figures. The work runs
    without the GIL; Ctrl-C stops it (KeyboardInterrupt). Warnings go to Python's warnings
    (TarnwickWarning) and ``.warnings``. Raises ModelError (the formula), ValueError (the
    settings), CapacityError.
    """
    model = referenced(as_model(network, formula), reference)
    estimate = _with_progress(
        progress,
        _tarnwick.fit,
        model._core,
        method=str(method),
        errors=str(se),
        replicates=_whole("replicates", replicates, 1),
        init=_numbers("init", init),
        sample_size=_whole("sample_size", sample_size, 1),
        max_iterations=_whole("max_iterations", max_iterations, 1),
        error_precision=float(error_precision),
        dyad_sample=_optional_count("dyad_sample", dyad_sample, 1),
        ee_tasks=_whole("ee_tasks", ee_tasks, 1),
        ee_gain=float(ee_gain),
        ee_draws=_whole("ee_draws", ee_draws, 1),
        offset_coef=_numbers("offset_coef", offset_coef),
        constraints=str(constraints or ""),
        **_sampling(seed, threads, chains, burnin, interval),
    )
    result = FitResult(model, estimate)
    _warn(result.warnings, model.network.notes)
    return result


def _estimator_lines() -> str:
    return "".join(f"        ``\"{name}\"``: {line}\n" for name, line in estimators().items())


fit.__doc__ = fit.__doc__.replace("{estimators}", _estimator_lines())


def _constraints_of(model: Any, constraints: Optional[str]) -> Optional[str]:
    """The constraints given, else a fit's own (its networks are drawn over its space)."""
    if constraints is None and isinstance(model, FitResult):
        return model.constraints
    return constraints


def _model_parts(model: Any, formula: Any, coef: Any, missing: str, coef_needed: bool):
    """The model and coefficients of a fit, of a Model, or of a network with a formula.

    A fit's coefficients go with its own formula only; with another formula ``coef`` is
    needed where ``coef_needed``, as it is with a network or a Model (``missing`` says what to
    give).
    """
    if isinstance(model, FitResult):
        if formula is None:
            return model.model, (list(model.coef) if coef is None else coef)
        if coef is None and coef_needed:
            raise ArgumentError("coef: give the coefficients of the new formula")
        return as_model(model.network, formula), coef
    if coef_needed and coef is None:
        raise ArgumentError(missing)
    if not isinstance(model, Model) and formula is None:
        raise ArgumentError(missing)
    return as_model(model, formula), coef


def simulate(
    model: Any,
    formula: Optional[Formula] = None,
    coef: Optional[Sequence[float]] = None,
    n: int = 100,
    stats: bool = False,
    seed: int = 1,
    threads: int = 0,
    chains: int = 8,
    burnin: Optional[int] = None,
    interval: Optional[int] = None,
    offset_coef: Optional[Sequence[float]] = None,
    constraints: Optional[str] = None,
    progress: ProgressOption = None,
    reference: Optional[str] = None,
):
    """Draws networks from a model: a fit's, or a formula's at given coefficients.

    ``model`` is a :class:`FitResult` (its network, formula and estimates, each of which
    ``formula`` and ``coef`` may replace), a :class:`Model` or a network (then ``coef``, one
    per coefficient, is needed, and with a network the ``formula``). Returns ``n`` networkx
    graphs whose nodes are the network's labels, with its attributes; with ``stats=True``
    instead a DataFrame of the model's statistics, one row per network. ``seed``,
    ``threads``, ``chains``, ``burnin``, ``interval`` and ``progress`` as for :func:`fit`.
    Given coefficients hold every one, an offset's ``-inf`` included; ``offset_coef`` is for a
    fit made first. ``constraints`` as for :func:`fit` (a fit's own by default); every network
    drawn keeps them. ``reference``: a model of counts' reference measure in place of the
    network's own (as for :func:`fit`); its networks drawn give each edge its count as the
    attribute named after the response. A dyad-independent model of counts is drawn at its
    exact fit when no coefficients are given.
    """
    import pandas as pd

    built, coef = _model_parts(
        model,
        formula,
        coef,
        "simulate: give a fit, or a network with a formula and its coefficients (coef=)",
        # A dyad-independent model of counts is drawn at its exact fit.
        coef_needed=not getattr(getattr(model, "network", model), "valued", False),
    )
    built = referenced(built, reference)
    constraints = _constraints_of(model, constraints)
    result = _with_progress(
        progress,
        _tarnwick.simulate,
        built._core,
        _numbers("coef", coef),
        networks=_whole("n", n, 1),
        offset_coef=_numbers("offset_coef", offset_coef),
        constraints=str(constraints or ""),
        **_sampling(seed, threads, chains, burnin, interval),
    )
    _refuse_no_estimate(result)
    _refuse_undrawn(result)
    _warn(_records(result["warnings"]), built.network.notes)
    if stats:
        sample = result["sample"]
        frame = pd.DataFrame(sample["statistics"], columns=sample["statistic_names"], dtype=float)
        frame.index = pd.RangeIndex(1, len(frame) + 1, name="network")
        return frame
    return [built.network._graph_of(links, counts)
            for links, counts in zip(result["links"], result["counts"])]
