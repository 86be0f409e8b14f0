#!/usr/bin/env python3
"""Times the Python package against the command line (README, Benchmarks, "Python").

    PYTHONPATH=build/python python3 bench/python_overhead.py [BUILD_DIR] [EMAIL_EU_DIR]

For each model: the command line's whole run (`tarnwick fit ... --quiet`, a process of its
own, wall clock), and in this process `tarnwick.read` + `tarnwick.fit` and `tarnwick.fit`
alone; medians of 3. Then `Network.from_networkx` of networkx graphs of 10^5 and 10^6 edges.
"""

import os
import pathlib
import statistics
import subprocess
import sys
import time
import warnings

import networkx as nx

import tarnwick

ROOT = pathlib.Path(__file__).resolve().parents[1]
BUILD = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ROOT / "build")
EMAIL = pathlib.Path(sys.argv[2] if len(sys.argv) > 2
                     else ROOT / ".." / "shared" / "data" / "email_eu")
PROGRAM = str(BUILD / "tarnwick")
RUNS = 3

CASES = [
    (
        "advice, mcmle",
        dict(path=ROOT / "examples" / "advice.csv"),
        [],
        "edges + mutual + gwesp(0.5, fixed=TRUE) + gwidegree(0.5, fixed=TRUE)"
        " + gwodegree(0.5, fixed=TRUE)",
        "mcmle",
    ),
    (
        "email-Eu, mple",
        dict(path=EMAIL / "network.dat", attributes=EMAIL / "attributes.dat"),
        ["--attributes", str(EMAIL / "attributes.dat")],
        "edges + mutual + gwesp(0.5, fixed=TRUE) + nodematch(1)",
        "mple",
    ),
]


def run(command):
    """The command line's whole run; status 4 (a fit without an estimate) is an outcome."""
    done = subprocess.run(command, capture_output=True, text=True)
    if done.returncode not in (0, 4):
        raise RuntimeError(done.stderr)


def median_time(work):
    times = []
    for _ in range(RUNS):
        started = time.perf_counter()
        work()
        times.append(time.perf_counter() - started)
    return statistics.median(times)


def main():
    warnings.simplefilter("ignore")  # the fits' warnings are the command line's, not timed
    for label, read_options, cli_options, formula, method in CASES:
        command = [PROGRAM, "fit", str(read_options["path"]), *cli_options, "--model", formula,
                   "--method", method, "--seed", "1", "--quiet"]
        cli = median_time(lambda: run(command))
        net = tarnwick.read(**read_options)
        fit_alone = median_time(
            lambda: tarnwick.fit(net, formula, method=method, seed=1, progress=False))
        read_and_fit = median_time(
            lambda: tarnwick.fit(tarnwick.read(**read_options), formula, method=method, seed=1,
                                 progress=False))
        print(f"{label}: command line {cli:.3f} s, read + fit {read_and_fit:.3f} s "
              f"({read_and_fit / cli:.2f}x), fit alone {fit_alone:.3f} s")
    for nodes, edges, directed in ((20000, 100000, True), (200000, 1000000, True),
                                   (200000, 1000000, False)):
        graph = nx.gnm_random_graph(nodes, edges, seed=1, directed=directed)
        started = time.perf_counter()
        tarnwick.Network.from_networkx(graph)
        first = time.perf_counter() - started  # a process's first, its memory not yet grown
        seconds = median_time(lambda: tarnwick.Network.from_networkx(graph))
        print(f"from_networkx, {nodes} nodes, {edges} edges, "
              f"{'directed' if directed else 'undirected'}: first {first:.3f} s, "
              f"then {seconds:.3f} s")
        del graph


if __name__ == "__main__":
    main()
