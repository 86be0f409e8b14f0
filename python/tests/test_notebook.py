"""The example notebook runs from its first cell to its last, as Jupyter would run it (its code
cells in order, in examples/, with a non-interactive matplotlib)."""

import json
import os

import matplotlib
from conftest import EXAMPLES

matplotlib.use("Agg")


def test_the_florentine_notebook_runs(tmp_path, monkeypatch):
    notebook = json.loads((EXAMPLES / "florentine.ipynb").read_text())
    for name in ("florentine_marriage.net", "florentine_attributes.csv"):
        (tmp_path / name).write_bytes((EXAMPLES / name).read_bytes())
    monkeypatch.chdir(tmp_path)  # what it writes stays out of examples/
    scope = {}
    for number, cell in enumerate(notebook["cells"]):
        if cell["cell_type"] == "code":
            code = compile("".join(cell["source"]), f"florentine.ipynb cell {number}", "exec")
            exec(code, scope)
    assert os.path.exists(tmp_path / "florentine_closure.fit")
    assert scope["closure"].converged and len(scope["unmarried"]) == 120 - 20
