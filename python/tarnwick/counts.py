"""Networks of counts (ergm's ``response=``): a table's or a graph's values of each dyad read as
whole counts, checked where they are given so that a wrong one is named by its row or edge."""

from __future__ import annotations

import math
import numbers
from typing import Any, Dict, Hashable, List, NamedTuple, Optional, Sequence, Tuple

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


def settled(
    pairs: Sequence[Tuple[Hashable, Hashable]],
    counts: Sequence[Optional[int]],
    places: Sequence[str],
    directed: bool,
    response: str,
    add: bool = False,
) -> Tuple[List[Tuple[Hashable, Hashable]], List[Tuple[Hashable, Hashable]],
           List[Tuple[Hashable, Hashable, int]]]:
    """The links (a count above 0), the missing dyads (a count None) and each dyad's count, one
    per dyad, of rows of (pair, count); ``places`` names each row for messages. Self-pairs are
    no dyads: their counts are left out, their links left for the network to leave out (with
    its note). Rows of one dyad (undirected: either way round) must agree, as the command
    line's reader has them, or with ``add`` their counts are added (the parallel edges of a
    multigraph; one missing makes the dyad missing)."""
    value: Dict[Any, Optional[int]] = {}
    first: Dict[Any, str] = {}
    ends: Dict[Any, Tuple[Hashable, Hashable]] = {}
    loops = []
    for (u, v), count, place in zip(pairs, counts, places):
        if u == v:
            if count:
                loops.append((u, v))  # a link the network leaves out, with its note
            continue
        key = (u, v) if directed else frozenset((u, v))
        if key not in value:
            value[key] = count
            first[key] = place
            ends[key] = (u, v)
        elif add:
            before = value[key]
            value[key] = None if before is None or count is None else before + count
        elif value[key] != count:
            raise ArgumentError(
                f"response {response!r}: {place} gives the dyad ({u!r}, {v!r}) the count "
                f"{_shown(count)}, but {first[key]} gives it {_shown(value[key])}; a dyad has one "
                "count")
    links, missing, dyads = [], [], []
    for key, count in value.items():
        u, v = ends[key]
        if count is None:
            missing.append((u, v))
        else:
            dyads.append((u, v, count))
            if count > 0:
                links.append((u, v))
    return links + loops, missing, dyads


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
