#!/usr/bin/env python3
"""An exact draw of edges + mutual + nodematch(dept) on a directed network: every unordered pair
{i, j} is independent under this model, empty, one-way (either way, weight e^a) or mutual (weight
e^(2a + mutual)), a = edges + nodematch [i and j share a department]. The counts of one-way and
mutual pairs of each class are drawn from their multinomial law and the pairs placed uniformly
among the pairs of the class, so the network is a draw of the model itself, made apart from the
program's own generators (numpy's PCG64, its own node layout: departments of a given size over
a random permutation of the nodes).

    bench/draw_pair_network.py NODES DEPT_SIZE EDGES MUTUAL NODEMATCH SEED OUT_FOLDER
writes OUT_FOLDER/network.csv (source,target) and OUT_FOLDER/attributes.csv (id,dept).
Judge fits with bench/exact_pair_mle.py OUT_FOLDER/network.csv OUT_FOLDER/attributes.csv.
"""
import math
import os
import sys

import numpy as np


def shares(a, mutual):
    """The probabilities of a one-way and a mutual pair at log-odds a."""
    w1, w2 = 2.0 * math.exp(a), math.exp(2.0 * a + mutual)
    z = 1.0 + w1 + w2
    return w1 / z, w2 / z


def distinct_pairs(rng, count, draw):
    """`count` distinct unordered pairs (i < j) from `draw(k)`, which gives k candidate pairs."""
    chosen = np.empty(0, dtype=np.int64)
    while chosen.size < count:
        i, j = draw(2 * (count - chosen.size) + 16)
        keys = np.minimum(i, j) * (1 << 32) + np.maximum(i, j)
        chosen = np.unique(np.concatenate([chosen, keys[i != j]]))
    return rng.permutation(chosen)[:count]


def main():
    nodes, size = int(sys.argv[1]), int(sys.argv[2])
    edges, mutual, nodematch = (float(x) for x in sys.argv[3:6])
    rng = np.random.Generator(np.random.PCG64(int(sys.argv[6])))
    folder = sys.argv[7]
    os.makedirs(folder, exist_ok=True)

    place = rng.permutation(nodes)  # node place[k] + 1 is the k-th member, departments in order
    dept = np.empty(nodes, dtype=np.int64)
    dept[place] = np.arange(nodes) // size
    members = place.reshape(-1, size) if nodes % size == 0 else None
    if members is None:
        sys.exit("NODES must be a multiple of DEPT_SIZE")
    groups = nodes // size
    same = groups * size * (size - 1) // 2
    cross = nodes * (nodes - 1) // 2 - same

    def within(k):
        g = rng.integers(0, groups, k)
        return members[g, rng.integers(0, size, k)], members[g, rng.integers(0, size, k)]

    def across(k):
        i, j = rng.integers(0, nodes, k), rng.integers(0, nodes, k)
        keep = dept[i] != dept[j]
        return i[keep], j[keep]

    links = []
    for pairs, a, draw in ((same, edges + nodematch, within), (cross, edges, across)):
        p1, p2 = shares(a, mutual)
        one_way, both = rng.multinomial(pairs, [p1, p2, 1.0 - p1 - p2])[:2]
        keys = distinct_pairs(rng, int(one_way + both), draw)
        low, high = keys >> 32, keys & 0xFFFFFFFF
        mutual_pairs = slice(0, both)
        one = slice(both, None)
        forward = rng.random(int(one_way)) < 0.5
        links.append(np.stack([low[mutual_pairs], high[mutual_pairs]], 1))
        links.append(np.stack([high[mutual_pairs], low[mutual_pairs]], 1))
        src = np.where(forward, low[one], high[one])
        dst = np.where(forward, high[one], low[one])
        links.append(np.stack([src, dst], 1))
    table = np.concatenate(links) + 1
    table = table[np.lexsort((table[:, 1], table[:, 0]))]
    with open(os.path.join(folder, "network.csv"), "w") as f:
        f.write("source,target\n")
        np.savetxt(f, table, fmt="%d", delimiter=",")
    with open(os.path.join(folder, "attributes.csv"), "w") as f:
        f.write("id,dept\n")
        np.savetxt(f, np.stack([np.arange(1, nodes + 1), dept + 1], 1), fmt="%d", delimiter=",")
    print(f"{nodes} nodes, {len(table)} links", file=sys.stderr)


if __name__ == "__main__":
    main()
