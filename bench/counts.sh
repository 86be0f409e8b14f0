#!/usr/bin/env bash
# Models of counts at the issue's size: a 300-node co-sponsorship-like network of counts
# (bench/make_counts_network.py: two parties, node activities, Poisson counts; seed 1) fitted with
#   sum + nonzero + mutual(form="min") + transitiveweights("min","max","min")
# under a Poisson reference (wall and CPU time, peak memory by /usr/bin/time):
#   fit   MCMLE at two seeds
#   long  4096 networks drawn at the seed-1 fit's estimate, as far apart as its final sample's
#         chains (70,565 proposals when measured): their covariance's inverse, the long-run
#         standard errors that the fits' errors are judged against
#   ee    equilibrium expectation, seed 1, judged by its check
#   rate  the sampler's proposals per second (CPU, one chain, one thread)
#
#   bench/counts.sh BUILD_DIR [fit|long|ee|rate] ...   (default: all four)
set -euo pipefail
build=$1
shift
steps=("$@")
[ ${#steps[@]} -eq 0 ] && steps=(fit long ee rate)
here=$(cd "$(dirname "$0")" && pwd)
work=${COUNTS_WORK:-/tmp/tarnwick_counts}
mkdir -p "$work"
network=$work/cosponsor.csv
[ -f "$network" ] || python3 "$here/make_counts_network.py" "$network" 300 1
model='sum + nonzero + mutual(form="min") + transitiveweights("min","max","min")'
data=("$network" --nodes 300 --response bills --reference Poisson)

timed() {
  /usr/bin/time -f "%e s wall, %U s CPU, %M KB" -o "$work/time" "$build/tarnwick" "$@"
}

estimates() {
  python3 - "$1" <<'PY'
import json, sys
fit = json.load(open(sys.argv[1]))
print(" ", fit["outcome"], "after", fit["iterations"], "iterations")
for p in fit["parameters"]:
    print(f"  {p['term']:32s} {p['estimate']:9.4f} ({p['std_error']:.4f})")
PY
}

for step in "${steps[@]}"; do
  case $step in
  fit)
    for seed in 1 2; do
      timed fit "${data[@]}" -m "$model" --method mcmle --seed "$seed" -q --json "$work/fit$seed.json" || true
      echo "mcmle, seed $seed: $(cat "$work/time")"
      estimates "$work/fit$seed.json"
    done
    ;;
  long)
    read -r coef interval < <(python3 - "$work/fit1.json" <<'PY'
import json, sys
fit = json.load(open(sys.argv[1]))
print(",".join(repr(p["estimate"]) for p in fit["parameters"]),
      fit["mcmle"]["history"][-1]["interval"])
PY
)
    timed simulate "${data[@]}" -m "$model" --coef "$coef" --networks 4096 --interval "$interval" \
      --burnin $((16 * interval)) --chains 4 --threads 1 --seed 5 --stats "$work/long.csv" -q
    echo "4096 networks at the seed-1 estimate, $interval proposals apart: $(cat "$work/time")"
    python3 - "$work/long.csv" "$work/fit1.json" "$work/fit2.json" <<'PY'
import csv, json, sys
rows = list(csv.reader(open(sys.argv[1])))[2:]  # past the header and the observed row
x = [[float(v) for v in r[1:]] for r in rows]
p, n = len(x[0]), len(x)
mean = [sum(r[k] for r in x) / n for k in range(p)]
cov = [[sum((r[a] - mean[a]) * (r[b] - mean[b]) for r in x) / (n - 1) for b in range(p)]
       for a in range(p)]
# Gauss-Jordan inverse of the p x p covariance.
m = [row[:] + [float(a == b) for b in range(p)] for a, row in enumerate(cov)]
for c in range(p):
    pivot = max(range(c, p), key=lambda r: abs(m[r][c]))
    m[c], m[pivot] = m[pivot], m[c]
    m[c] = [v / m[c][c] for v in m[c]]
    for r in range(p):
        if r != c:
            m[r] = [a - m[r][c] * b for a, b in zip(m[r], m[c])]
long_run = [m[k][p + k] ** 0.5 for k in range(p)]
fits = [json.load(open(f)) for f in sys.argv[2:]]
for k, se in enumerate(long_run):
    name = fits[0]["parameters"][k]["term"]
    mine = "  ".join(f"{f['parameters'][k]['std_error']:.4f} ({100 * (f['parameters'][k]['std_error'] / se - 1):+.1f}%)"
                     for f in fits)
    print(f"  {name:32s} long-run {se:.4f}   fits {mine}")
PY
    ;;
  ee)
    timed fit "${data[@]}" -m "$model" --method ee --seed 1 -q --json "$work/ee1.json" || true
    echo "ee, seed 1: $(cat "$work/time")"
    estimates "$work/ee1.json"
    ;;
  rate)
    timed simulate "${data[@]}" -m "$model" --coef -0.5,-2,0.3,0.1 --networks 10 --interval 100000 \
      --burnin 0 --chains 1 --threads 1 --stats - -q
    echo "1,000,000 proposals at -0.5, -2, 0.3, 0.1: $(cat "$work/time")"
    ;;
  esac
done
