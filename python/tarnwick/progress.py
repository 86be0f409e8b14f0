"""Progress of long work: a tqdm bar on a terminal, nothing elsewhere."""

from __future__ import annotations

import sys
from typing import Callable, Optional, Union

ProgressCallback = Callable[[int, int, str], None]
ProgressOption = Union[None, bool, ProgressCallback]


class _Bar:
    """A tqdm bar that follows the library's (done, total, stage) reports."""

    def __init__(self, tqdm_class) -> None:
        self._tqdm = tqdm_class
        self._bar = None
        self._stage = None

    def __call__(self, done: int, total: int, stage: str) -> None:
        if self._bar is None or stage != self._stage:
            self.close()
            self._bar = self._tqdm(total=total or None, desc=stage, leave=False, file=sys.stderr)
            self._stage = stage
        if total and self._bar.total != total:
            self._bar.total = total
        self._bar.n = done
        self._bar.refresh()

    def close(self) -> None:
        if self._bar is not None:
            self._bar.close()
            self._bar = None


def progress_reporter(option: ProgressOption):
    """The callback for a call's ``progress`` option, and a function that ends it.

    None: a tqdm bar when tqdm is installed and standard error is a terminal, else nothing.
    True: a tqdm bar when tqdm is installed. False: nothing. A callable: called as
    ``progress(done, total, stage)`` from the calling thread.
    """
    if callable(option) and not isinstance(option, bool):
        return option, lambda: None
    if option is False:
        return None, lambda: None
    if option is None and not (hasattr(sys.stderr, "isatty") and sys.stderr.isatty()):
        return None, lambda: None
    try:
        from tqdm.auto import tqdm
    except ImportError:
        return None, lambda: None
    bar = _Bar(tqdm)
    return bar, bar.close
