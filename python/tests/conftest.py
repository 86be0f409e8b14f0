"""Fixtures of the package's tests: the built program, the example data, the Florentine
marriages as a networkx graph in the order of the Pajek file."""

import os
import pathlib
import subprocess

import pytest

REPO = pathlib.Path(os.environ.get("TARNWICK_DATA", pathlib.Path(__file__).parents[2]))
EXAMPLES = REPO / "examples"
PROGRAM = os.environ.get("TARNWICK_PROGRAM", str(REPO / "build" / "tarnwick"))


def run_program(*arguments, check=True):
    """Runs the built command line in examples/; returns (status, stdout, stderr)."""
    done = subprocess.run(
        [PROGRAM, *map(str, arguments)], cwd=EXAMPLES, capture_output=True, text=True, timeout=300
    )
    if check and done.returncode not in (0, 4):
        raise AssertionError(f"tarnwick {' '.join(map(str, arguments))}: {done.stderr}")
    return done.returncode, done.stdout, done.stderr


def read_pajek(path):
    """Nodes (in file order) and edges of a small Pajek file of the examples."""
    nodes, edges, section = [], [], None
    for line in pathlib.Path(path).read_text().splitlines():
        if line.startswith("*"):
            section = line.split()[0].lower()
            continue
        if not line.strip():
            continue
        if section == "*vertices":
            number, label = line.split(" ", 1)
            nodes.append(label.strip().strip('"'))
        else:
            i, j = line.split()[:2]
            edges.append((nodes[int(i) - 1], nodes[int(j) - 1]))
    return nodes, edges


@pytest.fixture
def florentine():
    """Padgett's Florentine marriages (undirected, 16 families, Pucci an isolate) with the
    families' wealth, priorates and total ties."""
    import networkx as nx
    import pandas as pd

    nodes, edges = read_pajek(EXAMPLES / "florentine_marriage.net")
    graph = nx.Graph()
    graph.add_nodes_from(nodes)
    graph.add_edges_from(edges)
    attributes = pd.read_csv(EXAMPLES / "florentine_attributes.csv", index_col="family")
    for name in attributes.columns:
        nx.set_node_attributes(graph, attributes[name].to_dict(), name)
    return graph


FLORENTINE_FILES = ["florentine_marriage.net", "--undirected", "--attributes",
                    "florentine_attributes.csv"]
