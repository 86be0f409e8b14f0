"""The exceptions and warnings of tarnwick.

The library's errors arrive as these classes, with the command line's messages:

* :class:`InputError` -- a file or array that cannot be read or is not valid (``.file`` and
  ``.line`` say where, when known; line 0 is the file as a whole);
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


class InputError(TarnwickError):
    """An input file or array that cannot be read or is not valid.

    ``file`` names the file (None for arrays), ``line`` the line (0: the file as a whole).
    """

    def __init__(self, message: str, file: Optional[str] = None, line: int = 0) -> None:
        super().__init__(message)
        self.message = message
        self.file = file
        self.line = line


class ModelError(TarnwickError, ValueError):
    """A formula that names no term, or a term that does not fit the network or its arguments."""


class ArgumentError(TarnwickError, ValueError):
    """Settings that do not fit each other or the data (the command line's usage errors)."""


class CapacityError(TarnwickError):
    """A network or model larger than the program can hold (2000 nodes, 500000 links, ...)."""


class TarnwickWarning(UserWarning):
    """What the readers and the fit noticed: the command line's notes and warnings."""
