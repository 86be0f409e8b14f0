#!/usr/bin/env python3
"""The exact maximum-likelihood estimate of edges + mutual + nodematch(ATTR) on a directed network,
and its standard errors (the inverse Fisher information), to judge other estimators against.

Under this model the unordered pairs {i, j} are independent: a pair of match class c (its nodes
share the attribute or not) is empty, one-way (either way, weight e^a_c), or mutual (weight
e^(2 a_c + mutual)), a_c = edges + nodematch [c = match]. The likelihood depends on the network
through the counts of one-way and mutual pairs per class only, and Newton's method on its three
coefficients converges in a few steps.

    bench/exact_pair_mle.py NETWORK.csv ATTRIBUTES.csv [ATTR]
NETWORK.csv: source,target (header); ATTRIBUTES.csv: id first, then named columns (default dept).
Prints the estimate and the standard errors as JSON.
"""
import json
import math
import sys


def read_groups(path, name):
    with open(path) as f:
        header = f.readline().strip().split(",")
        column = header.index(name)
        return {int(row.split(",")[0]): row.strip().split(",")[column] for row in f}


def pair_counts(path, group):
    """One-way and mutual pairs per class (0: different groups, 1: same group)."""
    links = set()
    with open(path) as f:
        f.readline()
        for row in f:
            s, t = row.split(",")
            s, t = int(s), int(t)
            if s != t:
                links.add(s << 32 | t)
    one_way, mutual = [0, 0], [0, 0]
    for key in links:
        s, t = key >> 32, key & 0xFFFFFFFF
        c = 1 if group[s] == group[t] else 0
        if (t << 32 | s) in links:
            if s < t:
                mutual[c] += 1
        else:
            one_way[c] += 1
    return one_way, mutual


def class_pairs(group):
    sizes = {}
    for g in group.values():
        sizes[g] = sizes.get(g, 0) + 1
    n = len(group)
    same = sum(k * (k - 1) // 2 for k in sizes.values())
    return [n * (n - 1) // 2 - same, same]


def solve3(a, b):
    """a x = b for a 3 x 3 matrix, by Cramer's rule."""
    def det(m):
        return (m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1])
                - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0])
                + m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]))
    d = det(a)
    out = []
    for k in range(3):
        m = [row[:] for row in a]
        for r in range(3):
            m[r][k] = b[r]
        out.append(det(m) / d)
    return out


def moments(theta, pairs):
    """Expected statistics (edges, mutual, nodematch) and their covariance over all pairs."""
    mean = [0.0] * 3
    cov = [[0.0] * 3 for _ in range(3)]
    for c in (0, 1):
        a = theta[0] + theta[2] * c
        w1, w2 = 2 * math.exp(a), math.exp(2 * a + theta[1])
        z = 1 + w1 + w2
        states = [(w1 / z, [1, 0, c]), (w2 / z, [2, 1, 2 * c])]
        m = [sum(p * g[k] for p, g in states) for k in range(3)]
        for k in range(3):
            mean[k] += pairs[c] * m[k]
            for l in range(3):
                second = sum(p * g[k] * g[l] for p, g in states)
                cov[k][l] += pairs[c] * (second - m[k] * m[l])
    return mean, cov


def main():
    network, attributes = sys.argv[1], sys.argv[2]
    name = sys.argv[3] if len(sys.argv) > 3 else "dept"
    group = read_groups(attributes, name)
    one_way, mutual = pair_counts(network, group)
    pairs = class_pairs(group)
    observed = [sum(one_way) + 2 * sum(mutual), sum(mutual), one_way[1] + 2 * mutual[1]]
    # Start: each class's one-way and mutual shares fitted apart.
    a0 = math.log(one_way[0] / 2 / pairs[0])
    a1 = math.log(one_way[1] / 2 / pairs[1])
    theta = [a0, math.log(max(mutual[1], 1) / pairs[1]) - 2 * a1, a1 - a0]
    for _ in range(100):
        mean, cov = moments(theta, pairs)
        step = solve3(cov, [o - m for o, m in zip(observed, mean)])
        theta = [t + s for t, s in zip(theta, step)]
        if max(abs(s) for s in step) < 1e-12:
            break
    mean, cov = moments(theta, pairs)
    inverse = [solve3(cov, [1.0 if r == k else 0.0 for r in range(3)]) for k in range(3)]
    print(json.dumps({"coefficients": ["edges", "mutual", "nodematch." + name],
                      "observed": observed, "estimate": theta,
                      "standard_errors": [math.sqrt(inverse[k][k]) for k in range(3)]}))


if __name__ == "__main__":
    main()
