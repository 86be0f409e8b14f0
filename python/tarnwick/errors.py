"""The exceptions and warnings of tarnwick.

The library's errors arrive as these classes, with the command line's messages:

* :class:`InputError` -- a file or array that cannot be read or is not valid (``.file``,
  ``.line`` and ``.column`` say where, when known; line 0 is the file as a whole);
* :class:`ModelError` -- a formula that names no term, or a term that does not fit the network
  or its arguments;
* :class:`ArgumentError` -- settings that do not fit each other or the data (a ``ValueError``);
* :class:`CapacityError` -- a network or model larger than the program can hold.

A fit or simulation interrupted by Ctrl-C raises ``KeyboardInterrupt``.
"""

from __future__ import annotations

from typing import Optional


class TarnwickError(Exception):
    """The base class of tarnwick's errors."""


class _Placed(TarnwickError):
    """An error with its place in the input: ``file`` (None for arrays or when not known),
    ``line`` (0: the file as a whole) and ``column`` (0: not known)."""

    def __init__(
        self, message: str, file: Optional[str] = None, line: int = 0, column: int = 0
    ) -> None:
        super().__init__(message)
        self.message = message
        self.file = file
        self.line = line
        self.column = column


class InputError(_Placed):
    """An input file or array that cannot be read or is not valid (``file``, ``line`` and
    ``column`` say where, when known)."""


class ModelError(TarnwickError, ValueError):
    """A formula that names no term, or a term that does not fit the network or its arguments."""


class ArgumentError(TarnwickError, ValueError):
    """Settings that do not fit each other or the data (the command line's usage errors)."""


class CapacityError(_Placed):
    """A network or model larger than the program can hold (``file``, ``line`` and ``column``
    say where it was passed, when in a file)."""


class TarnwickWarning(UserWarning):
    """What the readers and the fit noticed: the command line's notes and warnings."""
