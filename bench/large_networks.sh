#!/bin/bash
# Times the command line on large generated networks (README, "Large networks"): for each size,
# the network is written once by make_large_network into DATA, then `summary` and a
# pseudo-likelihood `fit` of edges + mutual + nodematch(dept) run under /usr/bin/time -v, which
# gives the wall clock and the peak resident memory. Then, on networks of degree 7, the
# case-control pseudo-likelihood of the dependent model edges + mutual + gwesp(0.5, fixed=TRUE) +
# nodematch(dept) (every link and a seeded sample of the empty dyads of the default size: past
# 10^9 dyads the fit takes it on its own).
#   bench/large_networks.sh [BUILD_DIR] [DATA_DIR] [SIZES...]
# defaults: build, build/bench/large-networks, 100000 1000000.
set -euo pipefail
build=${1:-build}
data=${2:-$build/bench/large-networks}
shift $(( $# > 2 ? 2 : $# ))
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(100000 1000000)
model="edges + mutual + nodematch(dept)"
mkdir -p "$data"
measure() {  # label, command...
  local label=$1
  shift
  local log
  log=$(mktemp)
  /usr/bin/time -v "$@" > /dev/null 2> "$log" || { cat "$log"; rm -f "$log"; return 1; }
  local wall rss
  wall=$(grep "Elapsed (wall clock)" "$log" | awk '{print $NF}')
  rss=$(grep "Maximum resident set size" "$log" | awk '{print $NF}')
  printf '%-34s wall %8s   peak %8.1f MB\n' "$label" "$wall" "$(echo "$rss / 1024" | bc -l)"
  rm -f "$log"
}
for n in "${sizes[@]}"; do
  prefix="$data/n$n"
  if [ ! -f "$prefix.csv" ]; then
    "$build/bench/make_large_network" "$n" "$prefix" --degree 10 --seed 1
  fi
  links=$(( $(wc -l < "$prefix.csv") - 1 ))
  echo "n = $n, $links links"
  measure "  summary ($model)" "$build/tarnwick" summary "$prefix.csv" -m "$model" \
    --attributes "${prefix}_attributes.csv" -q --json "$data/summary_n$n.json"
  measure "  fit --method mple" "$build/tarnwick" fit "$prefix.csv" -m "$model" \
    --attributes "${prefix}_attributes.csv" --method mple -q --json "$data/fit_n$n.json"
done
dependent="edges + mutual + gwesp(0.5, fixed=TRUE) + nodematch(dept)"
for n in "${sizes[@]}"; do
  prefix="$data/n${n}_degree7"
  if [ ! -f "$prefix.csv" ]; then
    "$build/bench/make_large_network" "$n" "$prefix" --degree 7 --seed 1
  fi
  links=$(( $(wc -l < "$prefix.csv") - 1 ))
  echo "n = $n, $links links (degree 7)"
  measure "  fit --method mple (sampled)" "$build/tarnwick" fit "$prefix.csv" -m "$dependent" \
    --attributes "${prefix}_attributes.csv" --method mple --seed 1 -q \
    --json "$data/fit_dependent_n$n.json"
done
