"""What a fit is used for after it is made: tie probabilities, its table, saving it, and the
comparison of two fits of one network."""

from __future__ import annotations

import math
import os
import pickle
import tempfile
from typing import TYPE_CHECKING, Any, List, Union

from . import _tarnwick
from .errors import ArgumentError, InputError, ModelError

if TYPE_CHECKING:
    from .models import FitResult

# Written first in a saved fit, so that load_fit can tell another pickle from one of its own.
_SAVED_FIT_MARK = "tarnwick fit 1"


def predict(fit: "FitResult"):
    """The probability of each dyad's tie given the rest of the network, at the fit's
    estimates: ergm's ``predict(fit, conditional = TRUE)``. A DataFrame with columns ``tail``,
    ``head`` (node labels; undirected, each pair once) and ``p``, by tail then head in the
    network's node order."""
    import pandas as pd

    if not fit.estimate["estimated"]:
        raise ModelError(f"predict: the fit has no estimate ({fit.outcome})")
    tails, heads, probabilities = _tarnwick.tie_probabilities(fit.model._core, list(fit.coef))
    nodes = fit.network.nodes
    return pd.DataFrame(
        {
            "tail": [nodes[i] for i in tails],
            "head": [nodes[j] for j in heads],
            "p": pd.Series(probabilities, dtype=float),
        }
    )


def coefficient_frame(fit: "FitResult"):
    """The coefficient table, indexed by term: estimate, std_error, z, p_value, conf_low,
    conf_high, mcmc_error_percent and offset (ergm's ``coef(summary(fit))`` with its intervals)."""
    tidy = fit.tidy()
    columns = ["estimate", "std_error", "z", "p_value", "conf_low", "conf_high",
               "mcmc_error_percent", "offset"]
    return tidy.set_index("term")[columns]


def save(fit: "FitResult", path: Union[str, os.PathLike]) -> None:
    """Writes the fit (its network, formula and every figure) to ``path`` as a pickle, whole or
    not at all; the file it replaces is left as it was if writing fails."""
    path = os.fspath(path)
    read = fit.network._read_arguments or {}
    for option in ("path", "attributes", "covariate"):
        given = read.get(option)
        if given and os.path.exists(path) and os.path.samefile(given, path):
            raise ArgumentError(f"save: {path} is the fit's input (read's {option})")
    folder = os.path.dirname(os.path.abspath(path))
    handle, temporary = tempfile.mkstemp(prefix=".tarnwick-", dir=folder)
    try:
        with os.fdopen(handle, "wb") as out:
            pickle.dump(_SAVED_FIT_MARK, out)
            pickle.dump(fit, out, protocol=pickle.HIGHEST_PROTOCOL)
        os.replace(temporary, path)
    except BaseException:
        os.unlink(temporary)
        raise


def load_fit(path: Union[str, os.PathLike]) -> "FitResult":
    """The fit that :meth:`FitResult.save` wrote. Its network is rebuilt from what the fit kept
    (a network read from files is read again, and must be as it was). A pickle runs code when
    read: load only files you trust."""
    path = os.fspath(path)
    with open(path, "rb") as source:
        try:
            mark = pickle.load(source)
        except Exception:
            mark = None
        if mark != _SAVED_FIT_MARK:
            raise InputError(f"{path} is no fit saved by tarnwick", file=path)
        return pickle.load(source)


def _free_count(fit: "FitResult") -> int:
    return sum(1 for row in fit.estimate["coefficients"] if not row["offset"])


def _nested(small: "FitResult", large: "FitResult") -> bool:
    return set(small.coef.index) < set(large.coef.index)


def compare(first: "FitResult", second: "FitResult"):
    """Two fits of one network compared, as ergm's ``anova``: one row per fit with its
    coefficients, log-likelihood, AIC and BIC; where one model is nested in the other and both
    have a log-likelihood (an mcmle fit, or a dyad-independent model), the second row adds the
    likelihood-ratio statistic, its degrees of freedom and p-value. Raises ModelError when the
    fits are of different networks, or when either has no likelihood to compare (an mple fit of
    a dependent model: fit it with method="mcmle")."""
    import pandas as pd

    fits: List[Any] = [first, second]
    if first.network is not second.network and (
        first.network.nodes != second.network.nodes
        or sorted(first.network._core.links()) != sorted(second.network._core.links())
        or sorted(first.network.counts()) != sorted(second.network.counts())
    ):
        raise ModelError("compare: the fits are of different networks")
    if first.reference != second.reference:
        raise ModelError(f"compare: the fits are of different reference measures "
                         f"({first.reference} and {second.reference})")
    for k, fit in enumerate(fits, start=1):
        if fit.loglik is None and fit.response is not None:
            raise ModelError(
                f"compare: fit {k} ({fit.formula}, {fit.method}) has no log-likelihood: a fit "
                "of counts with dyad-dependent terms has none yet"
            )
        if fit.loglik is None:
            raise ModelError(
                f"compare: fit {k} ({fit.formula}, {fit.method}) has no log-likelihood; the "
                "pseudo-likelihood of a dependent model is none: fit it with method=\"mcmle\""
            )
    rows = []
    for fit in fits:
        rows.append(dict(formula=fit.formula, method=fit.method, coefficients=_free_count(fit),
                         loglik=fit.loglik, AIC=fit.aic, BIC=fit.bic,
                         lr_statistic=math.nan, df=math.nan, p_value=math.nan))
    small, large = (first, second) if _free_count(first) <= _free_count(second) else (
        second, first)
    if _nested(small, large):
        from scipy.stats import chi2

        statistic = 2.0 * (large.loglik - small.loglik)
        df = _free_count(large) - _free_count(small)
        row = rows[fits.index(large)]
        row.update(lr_statistic=statistic, df=df, p_value=float(chi2.sf(max(statistic, 0.0), df)))
    frame = pd.DataFrame(rows)
    frame.index = pd.RangeIndex(1, 3, name="fit")
    return frame
