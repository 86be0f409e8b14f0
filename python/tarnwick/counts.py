"""Networks of counts (ergm's ``response=``): a table's or a graph's values of each dyad read as
whole counts, checked where they are given so that a wrong one is named by its row or edge."""

from __future__ import annotations

import math
import numbers
import operator
from itertools import compress
from typing import Any, Callable, Dict, Hashable, List, NamedTuple, Optional, Sequence, Tuple

from .errors import ArgumentError

# The counts the library stores (32-bit).
_LARGEST = 2**31 - 1


class Counts(NamedTuple):
    """The counts given with a network: its response (the name of the count), the dyads of a
    count above 0 and 0 as (sender, receiver, count) by node, and the reference measure."""

    response: str
    dyads: List[Tuple[Hashable, Hashable, int]]
    reference: str = ""


def count_of(value: Any, where: str, response: str) -> Optional[int]:
    """A value as a count: a whole number 0 or more (2.0 is 2, as pandas stores a column of
    counts with a gap); None where missing (None, NaN, pandas' NA). Raises ArgumentError naming
    ``where`` (the row or edge) and the column for anything else: 2.5, -1, True, a text."""
    from .network import _missing

    if _missing(value):
        return None
    if isinstance(value, numbers.Integral) and not isinstance(value, bool):
        whole = int(value)
    elif isinstance(value, numbers.Real) and not isinstance(value, bool) and float(
            value).is_integer():
        whole = int(value)
    else:
        if isinstance(value, numbers.Real) and not isinstance(value, bool) and math.isinf(value):
            what = "is infinite"
        elif isinstance(value, numbers.Real) and not isinstance(value, bool):
            what = "is not a whole number"
        else:
            what = f"is a {type(value).__name__}, not a number"
        raise ArgumentError(f"response {response!r}: {where} has the count {value!r}, which "
                            f"{what}; counts are whole numbers 0 or more")
    if whole < 0:
        raise ArgumentError(f"response {response!r}: {where} has the count {value!r}, which is "
                            "negative; counts are whole numbers 0 or more")
    if whole > _LARGEST:
        raise ArgumentError(f"response {response!r}: {where} has the count {value!r}, more than "
                            f"the largest count taken ({_LARGEST})")
    return whole


def count_column(values: Any, place_of: Callable[[int], str], response: str
                 ) -> List[Optional[int]]:
    """The counts of a column (a list, or a numpy array as pandas and scipy hold them), each as
    :func:`count_of` reads it; ``place_of(k)`` names value k. A numpy array of whole numbers is
    checked at once (a tenth of the time for 10^6 rows); one that fails is read value by value,
    which names the first wrong value."""
    import numpy as np

    array = values if isinstance(values, np.ndarray) else None
    if array is not None and array.dtype.kind in "iuf" and array.size:
        missing = np.isnan(array) if array.dtype.kind == "f" else None
        present = array if missing is None else array[~missing]
        if not present.size or (
                np.isfinite(present).all() and (present == np.floor(present)).all()
                and present.min() >= 0 and present.max() <= _LARGEST):
            counts: List[Optional[int]] = (
                array if missing is None else np.where(missing, 0, array)).astype(
                    np.int64).tolist()
            if missing is not None:
                for k in np.flatnonzero(missing).tolist():
                    counts[k] = None
            return counts
    items = array.tolist() if array is not None else values  # Python's numbers, as shown
    return [count_of(v, place_of(k), response) for k, v in enumerate(items)]


def settled(
    pairs: Sequence[Tuple[Hashable, Hashable]],
    counts: Sequence[Optional[int]],
    place_of: Callable[[int], str],
    directed: bool,
    response: str,
    add: bool = False,
) -> Tuple[List[Tuple[Hashable, Hashable]], List[Tuple[Hashable, Hashable]],
           List[Tuple[Hashable, Hashable, int]]]:
    """The links (a count above 0), the missing dyads (a count None) and each dyad's count, one
    per dyad, of rows of (pair, count); ``place_of(k)`` names row k for messages. Self-pairs are
    no dyads: their counts are left out, their links left for the network to leave out (with
    its note). Rows of one dyad (undirected: either way round) must agree, as the command
    line's reader has them, or with ``add`` their counts are added (the parallel edges of a
    multigraph; one missing makes the dyad missing)."""
    keys = pairs if directed else list(map(frozenset, pairs))
    if len(dict.fromkeys(keys)) == len(keys):
        # One row per dyad (as a table of counts has it): nothing to settle, the loops in C.
        loop = list(map(operator.eq, (u for u, _ in pairs), (v for _, v in pairs)))
        dyad = [not s for s in loop]
        return (list(compress(pairs, counts)),
                [pair for pair, count in compress(zip(pairs, counts), dyad) if count is None],
                [(u, v, count) for (u, v), count in compress(zip(pairs, counts), dyad)
                 if count is not None])
    value: Dict[Any, Optional[int]] = {}
    ends: Dict[Any, Tuple[Hashable, Hashable]] = {}
    first: Dict[Any, int] = {}
    for k, ((u, v), count) in enumerate(zip(pairs, counts)):
        # A self-pair keeps its place among the links, which the network leaves out (noted).
        key = _SelfPair() if u == v else (u, v) if directed else frozenset((u, v))
        if key not in value:
            value[key] = count
            first[key] = k
            ends[key] = (u, v)
        elif add:
            before = value[key]
            value[key] = None if before is None or count is None else before + count
        elif value[key] != count:
            raise ArgumentError(
                f"response {response!r}: {place_of(k)} gives the dyad ({u!r}, {v!r}) the count "
                f"{_shown(count)}, but {place_of(first[key])} gives it {_shown(value[key])}; a "
                "dyad has one count")
    links, missing, dyads = [], [], []
    for key, count in value.items():
        u, v = ends[key]
        if count:
            links.append((u, v))
        if isinstance(key, _SelfPair):
            continue
        if count is None:
            missing.append((u, v))
        else:
            dyads.append((u, v, count))
    return links, missing, dyads


class _SelfPair:
    """The key of a self-pair's row: each its own, no dyad."""


def _shown(count: Optional[int]) -> str:
    return "NA (missing)" if count is None else str(count)


def refuse_two_modes(response: Optional[str]) -> None:
    if response is not None:
        raise ArgumentError(f"response {response!r}: a two-mode network of counts is not "
                            "offered yet, as the command line's --response with --bipartite")


def refuse_reference_alone(response: Any, reference: Any) -> None:
    """A reference measure is of counts: without ``response`` it would be dropped unread."""
    if reference is not None and response is None:
        raise ArgumentError(f"reference={reference!r}: a reference measure is of a network of "
                            "counts; give response= too (the name of its counts)")
