#!/usr/bin/env python3
"""Makes a network with a share of its dyads missing, for timing fits with --missing:
bench/missing_dyads.py NETWORK.csv SHARE SEED OUT_DIR [--undirected]. Draws SHARE of all dyads
at random (seeded); writes OUT_DIR/observed.csv, the network without the links among them, and
OUT_DIR/missing.csv, the dyads drawn (one "i,j" a line)."""
import os
import random
import sys

path, share, seed, out = sys.argv[1], float(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
undirected = "--undirected" in sys.argv
with open(path) as f:
    header = f.readline()
    links = [tuple(map(int, line.strip().split(",")[:2])) for line in f if line.strip()]
n = max(max(link) for link in links)
dyads = n * (n - 1) // (2 if undirected else 1)
want = int(round(share * dyads))
rng = random.Random(seed)
drawn = set()
while len(drawn) < want:
    i, j = rng.randint(1, n), rng.randint(1, n)
    if i == j:
        continue
    drawn.add((min(i, j), max(i, j)) if undirected else (i, j))


def key(link):
    i, j = link
    return (min(i, j), max(i, j)) if undirected else link


os.makedirs(out, exist_ok=True)
with open(os.path.join(out, "observed.csv"), "w") as f:
    f.write(header)
    for link in links:
        if key(link) not in drawn:
            f.write(f"{link[0]},{link[1]}\n")
with open(os.path.join(out, "missing.csv"), "w") as f:
    for i, j in sorted(drawn):
        f.write(f"{i},{j}\n")
print(f"{n} nodes, {dyads} dyads, {want} missing, "
      f"{sum(1 for link in links if key(link) in drawn)} links among them")
