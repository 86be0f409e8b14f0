#!/usr/bin/env python3
"""fit --method ee, mcmle, bootstrap errors and gof under mpirun give the threaded run's results,
written once.

usage: mpi_runs.py PROGRAM MPIEXEC EXAMPLES_DIR
Runs the program in a temporary folder: the same fit on 1 and 2 threads and on 1 and 2 MPI
processes must write the same JSON and screen, byte for byte (EE deals out its tasks, MCMLE its
chains, the bootstrap its replicates); under mpirun only the first
process writes; a bad input file ends every process with the command line's status and its
message written once.
"""
import os
import re
import subprocess
import sys
import tempfile

program, mpiexec, examples = [os.path.abspath(a) for a in sys.argv[1:4]]
launch = [mpiexec, "--allow-run-as-root", "--oversubscribe", "-np"]
ee_fit = ["fit", os.path.join(examples, "advice.csv"), "-m", "edges + mutual + ctriple",
          "--method", "ee", "--seed", "7", "--sample-size", "2000"]
mcmle_fit = ["fit", os.path.join(examples, "advice.csv"), "-m",
             "edges + mutual + gwesp(0.5, fixed=TRUE)", "--method", "mcmle", "--seed", "3"]
bootstrap_fit = ["fit", os.path.join(examples, "advice.csv"), "-m", "edges + mutual + ctriple",
                 "--se", "bootstrap", "--replicates", "60", "--seed", "5"]
failures = []


def run(command, folder):
    env = dict(os.environ, OMPI_MCA_rmaps_base_oversubscribe="1")
    return subprocess.run(command, cwd=folder, env=env, capture_output=True, text=True,
                          timeout=600)


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def untimed(screen):
    """The screen without its times: "converged after 2 iterations, 0.7 s", "53% of the time"."""
    screen = re.sub(r", [0-9.]+ s\n", ", (time) s\n", screen)
    return re.sub(r"[0-9]+% of the time", "(share) of the time", screen)


def fitted(fit, prefix, threads, folder):
    name = "fit_%d_%d.json" % (len(os.listdir(folder)), threads)
    done = run(prefix + [program] + fit + ["--threads", str(threads), "--json", name], folder)
    check(done.returncode == 0, "%s %d threads: status %d, %s" %
          (prefix, threads, done.returncode, done.stderr))
    if done.returncode != 0:
        return "", ""
    with open(os.path.join(folder, name), encoding="utf-8") as f:
        return f.read(), untimed(done.stdout)


with tempfile.TemporaryDirectory() as folder:
    for fit, method in [(ee_fit, "ee"), (mcmle_fit, "mcmle"), (bootstrap_fit, "mple")]:
        reference, screen = fitted(fit, [], 1, folder)
        check('"method": "%s"' % method in reference, "the fit is by " + method)
        for prefix, threads in [([], 2), (launch + ["1"], 1), (launch + ["2"], 1),
                                (launch + ["2"], 2)]:
            json_text, shown = fitted(fit, prefix, threads, folder)
            check(json_text == reference,
                  "%s %s %d threads: JSON differs" % (method, prefix, threads))
            check(shown == screen, "%s %s %d threads: screen differs" % (method, prefix, threads))
    written = sorted(os.listdir(folder))
    check(all(not name.startswith(".") for name in written),
          "no temporary file is left: %s" % written)

    bad = run(launch + ["2", program, "fit", "missing.csv", "-m", "edges", "--method", "ee"],
              folder)
    check(bad.returncode == 3, "a missing network: status %d" % bad.returncode)
    check(bad.stderr.count("missing.csv") == 1,
          "a missing network: the message once, not %r" % bad.stderr)
    check(bad.stdout == "", "a missing network: nothing on standard output")

    summary = run(launch + ["2", program, "summary", os.path.join(examples, "advice.csv"), "-m",
                            "edges + mutual"], folder)
    plain = run([program, "summary", os.path.join(examples, "advice.csv"), "-m",
                 "edges + mutual"], folder)
    check(summary.returncode == 0 and summary.stdout == plain.stdout,
          "summary under mpirun: written once, as without it")

    # gof deals its chains out to the processes; the first writes the same tables.
    gof = [program, "gof", os.path.join(examples, "advice.csv"), "-m",
           "edges + mutual + ctriple", "--networks", "40", "--seed", "2", "--threads", "1"]
    tables = {}
    for prefix, name in [([], "gof_plain.csv"), (launch + ["2"], "gof_two.csv")]:
        done = run(prefix + gof + ["--csv", name], folder)
        check(done.returncode == 0, "gof %s: status %d, %s" % (prefix, done.returncode,
                                                                done.stderr))
        tables[name] = (open(os.path.join(folder, name), encoding="utf-8").read()
                        if done.returncode == 0 else "", done.stdout)
    check(tables["gof_two.csv"] == tables["gof_plain.csv"],
          "gof under mpirun -np 2: the tables and screen of one process")

print("%d failed" % len(failures))
sys.exit(1 if failures else 0)
