"""Formulas as statnet users write them, with Python's spellings of the logical constants."""

from __future__ import annotations

import re
from typing import Sequence, Union

Formula = Union[str, Sequence[str]]

_LOGICAL = re.compile(r"\b(True|False)\b")


def formula_text(formula: Formula) -> str:
    """The formula as the library reads it.

    A list of terms is joined with ``+``; ``True`` and ``False`` outside quotes become R's
    ``TRUE`` and ``FALSE`` (``gwesp(0.5, fixed=True)`` is ``gwesp(0.5, fixed=TRUE)``).
    """
    if not isinstance(formula, str):
        if not isinstance(formula, (list, tuple)):
            raise TypeError(
                "formula: give a text such as \"edges + mutual\" or a list of terms, not "
                f"{type(formula).__name__}"
            )
        for term in formula:
            if not isinstance(term, str):
                raise TypeError(
                    f"formula: each term of the list is a text (\"edges\"), not "
                    f"{type(term).__name__} ({term!r})"
                )
        terms = list(formula)
        if not terms:
            raise ValueError("the formula names no term")
        formula = " + ".join(terms)
    parts = []
    quote = None
    start = 0
    for i, c in enumerate(formula):
        if quote is None and c in "\"'":
            parts.append(_LOGICAL.sub(lambda m: m.group(1).upper(), formula[start:i]))
            quote, start = c, i
        elif quote is not None and c == quote:
            parts.append(formula[start : i + 1])
            quote, start = None, i + 1
    rest = formula[start:]
    parts.append(rest if quote is not None else _LOGICAL.sub(lambda m: m.group(1).upper(), rest))
    return "".join(parts)
