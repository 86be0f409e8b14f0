#!/usr/bin/env python3
"""A co-sponsorship-like network of counts for the benches: N legislators in two parties, each
with an activity drawn once; the count of bills i co-sponsors with j is Poisson with mean
exp(base + activity_i + popularity_j + same_party * party_effect), so that counts are sparse,
skewed, concentrated within parties and (through the parties) transitive. Standard library
only (random.Random with a fixed seed), so the network is the same on every machine.

    make_counts_network.py OUT.csv [NODES] [SEED]
"""
import math
import random
import sys


def poisson(rng, mean):
    # Knuth's product of uniforms: the means here are small.
    limit, product, k = math.exp(-mean), rng.random(), 0
    while product > limit:
        product *= rng.random()
        k += 1
    return k


def main():
    out = sys.argv[1]
    nodes = int(sys.argv[2]) if len(sys.argv) > 2 else 300
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 1)
    party = [rng.random() < 0.55 for _ in range(nodes)]
    activity = [rng.gauss(0, 0.8) for _ in range(nodes)]
    popularity = [rng.gauss(0, 0.5) for _ in range(nodes)]
    rows = 0
    with open(out, "w") as f:
        f.write("sponsor,cosponsor,bills\n")
        for i in range(nodes):
            for j in range(nodes):
                if i == j:
                    continue
                mean = math.exp(-3.2 + activity[i] + popularity[j] + (1.6 if party[i] == party[j] else 0))
                count = poisson(rng, mean)
                if count:
                    f.write(f"{i + 1},{j + 1},{count}\n")
                    rows += 1
    with open(out.rsplit(".", 1)[0] + "_party.csv", "w") as f:
        f.write("id,party\n")
        for i in range(nodes):
            f.write(f"{i + 1},{'A' if party[i] else 'B'}\n")
    print(f"{out}: {nodes} nodes, {rows} dyads of non-zero count", file=sys.stderr)


if __name__ == "__main__":
    main()
