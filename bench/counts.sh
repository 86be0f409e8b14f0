#!/usr/bin/env bash
# Models of counts at the issue's size: a 300-node co-sponsorship-like network of counts
# (bench/make_counts_network.py: two parties, node activities, Poisson counts; seed 1) fitted by
# MCMLE with
#   sum + nonzero + mutual(form="min") + transitiveweights("min","max","min")
# under a Poisson reference (wall and CPU time, peak memory by /usr/bin/time), at two seeds, and
# once more with four times the sample: the long run that the errors are judged against. Then
# the sampler's proposals per second (CPU, one chain, one thread) at the estimate.
#
#   bench/counts.sh BUILD_DIR [fit|long|rate] ...   (default: all three)
set -euo pipefail
build=$1
shift
steps=("$@")
[ ${#steps[@]} -eq 0 ] && steps=(fit long rate)
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
    timed fit "${data[@]}" -m "$model" --method mcmle --seed 3 --sample-size 4096 -q \
      --json "$work/long.json" || true
    echo "mcmle, seed 3, 4096 networks per iteration: $(cat "$work/time")"
    estimates "$work/long.json"
    ;;
  rate)
    timed simulate "${data[@]}" -m "$model" --coef -0.5,-2,0.3,0.1 --networks 10 --interval 100000 \
      --burnin 0 --chains 1 --threads 1 --stats - -q
    echo "1,000,000 proposals at -0.5, -2, 0.3, 0.1: $(cat "$work/time")"
    ;;
  esac
done
