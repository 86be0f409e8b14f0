"""Tarnwick from Python: exponential random graph models (statnet/ergm conventions).

    import networkx as nx, tarnwick
    g = nx.florentine_families_graph()
    net = tarnwick.Network.from_networkx(g)
    tarnwick.summary(net, "edges + triangle")          # a pandas Series, ergm's names
    fit = tarnwick.fit(net, "edges + gwesp(0.5, fixed=True)", method="mcmle")
    fit.coef, fit.std_error, fit.tidy(), fit.glance(), print(fit.summary())
    graphs = tarnwick.simulate(fit, n=10)               # networkx graphs, the same labels

Networks: :class:`Network` (``from_networkx``, ``from_pandas``, ``from_scipy``,
``from_igraph``, ``from_links``) and :func:`read` for the command line's file formats; each
takes ``response=`` for a network of counts (ergm's valued networks) and ``reference=``.
Calls: :func:`summary`, :func:`fit` (a :class:`FitResult`; ``diagnostics()`` of an mcmle
fit; ``predict()``, ``to_frame()``, ``save()``), :func:`load_fit`, :func:`compare`,
:func:`simulate`, :func:`gof` (a :class:`GofResult`, ``plot()``), :func:`estimators`.
Errors: :class:`InputError`, :class:`ModelError`, :class:`ArgumentError` (a ValueError),
:class:`CapacityError`; warnings: :class:`TarnwickWarning`.
"""

from . import _tarnwick
from .errors import (
    ArgumentError,
    CapacityError,
    InputError,
    ModelError,
    TarnwickError,
    TarnwickWarning,
)

_tarnwick._set_exception_types(InputError, ModelError, ArgumentError, CapacityError)

from .formula import formula_text  # noqa: E402
from .model import Model  # noqa: E402
from .models import (  # noqa: E402
    Diagnostics,
    FitResult,
    WarningRecord,
    estimators,
    fit,
    simulate,
    summary,
)
from .fit_tools import compare, load_fit  # noqa: E402
from .gof import GofResult, gof  # noqa: E402
from .network import Network, read  # noqa: E402

__all__ = [
    "ArgumentError",
    "CapacityError",
    "Diagnostics",
    "FitResult",
    "GofResult",
    "InputError",
    "Model",
    "ModelError",
    "Network",
    "TarnwickError",
    "TarnwickWarning",
    "WarningRecord",
    "compare",
    "estimators",
    "fit",
    "formula_text",
    "gof",
    "load_fit",
    "read",
    "simulate",
    "summary",
]
