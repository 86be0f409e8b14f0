"""A formula built on a network once, for the work that follows."""

from __future__ import annotations

from typing import Any, Dict, List

from . import _tarnwick
from .errors import ArgumentError
from .formula import Formula, formula_text
from .network import Network, _worded, as_network


class Model:
    """A statnet formula built on a network once: its terms read the network's attributes and
    files, and a formula that does not fit raises ModelError here, before any long work.

    Fit it, simulate it and check its goodness of fit as many times as wanted::

        model = tarnwick.Model(net, "edges + mutual + gwesp(0.5, fixed=True)")
        model.statistics()                    # the observed statistics (a pandas Series)
        fit = tarnwick.fit(model, method="mcmle")
        tarnwick.simulate(model, coef=list(fit.coef), n=10)

    ``network`` is a :class:`Network` or a networkx graph; ``formula`` a text or a list of
    terms.
    """

    def __init__(self, network: Any, formula: Formula) -> None:
        if not isinstance(formula, (str, list, tuple)):
            raise TypeError(
                "formula: give a text such as \"edges + mutual\" or a list of terms, not "
                f"{type(formula).__name__}"
            )
        self.network: Network = as_network(network)
        self.formula: str = formula_text(formula)
        self._core = _tarnwick.build_model(self.network._core, self.formula)

    @property
    def statistic_names(self) -> List[str]:
        """The names of the model's statistics, as ergm names them."""
        return list(self._core.statistic_names)

    @property
    def notes(self) -> List[str]:
        """What the model's terms noticed (the network's notes among them)."""
        return [_worded(record) for record in self._core.notes()]

    def _statistics(self) -> Dict[str, Any]:
        return _tarnwick.statistics(self._core)

    def statistics(self):
        """The statistics of the observed network, a pandas Series by name (as summary())."""
        import pandas as pd

        rows = self._statistics()["statistics"]
        return pd.Series(
            [row["value"] for row in rows],
            index=pd.Index([row["name"] for row in rows], name="statistic"),
            name="value",
            dtype=float,
        )

    def __reduce__(self):
        return (Model, (self.network, self.formula))

    def __repr__(self) -> str:
        return f"<tarnwick.Model {self.formula} on {self.network!r}>"


def referenced(model: Model, reference: Any) -> Model:
    """The model on its network of counts with this reference measure (None: as it is)."""
    if reference is None:
        return model
    if not model.network.valued:
        raise ArgumentError(
            "reference: the network has no counts; build it with response= (the name of its "
            "counts: Network.from_networkx(graph, response=\"weight\"), from_pandas, read)")
    return Model(model.network.with_reference(str(reference)), model.formula)


def as_model(network: Any, formula: Any = None) -> Model:
    """The model of `network` (a Model, a Network or a networkx graph) and `formula`.

    A Model is taken as it is (a formula given with it must be its own)."""
    if isinstance(network, Model):
        if formula is not None and formula_text(formula) != network.formula:
            raise TypeError(
                "formula: a Model has its own formula; give the network to fit another one"
            )
        return network
    if formula is None:
        raise TypeError("formula: give the formula to fit, as a text or a list of terms")
    return Model(network, formula)
