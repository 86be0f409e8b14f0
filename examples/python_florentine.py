"""Padgett's Florentine marriages from Python: networkx in, a formula's statistics, fits by
pseudo-likelihood and by MCMC, and networks simulated from the fit.

Run it in examples/ after building (user guide, chapter 16):

    PYTHONPATH=../build/python /usr/bin/python3 python_florentine.py
"""

import warnings

import networkx as nx
import pandas as pd

import tarnwick

# networkx ships the marriage network of the 15 families with a marriage tie (Pucci, who has
# none, is left out there); the families' wealth comes from the example's attribute table.
graph = nx.florentine_families_graph()
families = pd.read_csv("florentine_attributes.csv", index_col="family")
nx.set_node_attributes(graph, families["wealth"].to_dict(), "wealth")

net = tarnwick.Network.from_networkx(graph)
print(net)

# The statistics of a formula, named as statnet names them.
print(tarnwick.summary(net, "edges + triangle + kstar(2) + gwesp(0.5, fixed=True)"))

# A dyad-independent model: the pseudo-likelihood is the likelihood.
wealth_fit = tarnwick.fit(net, "edges + nodecov(wealth)")
print(wealth_fit.summary())
print(wealth_fit.tidy()[["term", "estimate", "std_error", "p_value"]])

# A model with dependence, by maximum likelihood through MCMC. Its warnings go to Python's
# warnings (and .warnings); here they are collected and printed.
with warnings.catch_warnings(record=True) as caught:
    warnings.simplefilter("always")
    closure = tarnwick.fit(
        net, "edges + gwesp(0.25, fixed=True)", method="mcmle", seed=1, progress=False
    )
print(closure.glance().T)
for w in caught:
    print("warning:", w.message)

# Networks drawn from the fitted model keep the families' names.
graphs = tarnwick.simulate(closure, n=20, seed=2, progress=False)
triangles = [sum(nx.triangles(g).values()) // 3 for g in graphs]
print("Medici in every simulated network:", all("Medici" in g for g in graphs))
print("triangles: observed", sum(nx.triangles(graph).values()) // 3,
      "simulated mean", sum(triangles) / len(triangles))
stats = tarnwick.simulate(closure, n=20, seed=2, stats=True, progress=False)
print(stats.describe().loc[["mean", "std"]])
assert set(graphs[0].nodes) == set(graph.nodes)
