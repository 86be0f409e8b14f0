#!/bin/bash
# Tarnwick beside R's glm on one scenario (S1 by default): the dyad table of the scenario, from
# the library's own statistics, is fitted by glm(y ~ 0 + ., family = binomial); the script prints
# both times, both peak memories and the largest difference between the two sets of estimates.
#
#   bench/compare_glm.sh [SCENARIO] [BUILD_DIR]      (RUNS=5: Tarnwick runs for the median)
#
# R comes from Debian: apt-get install -y r-base-core.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
scenario=${1:-S1}
build=${2:-$here/../build}
bench=$build/bench/tarnwick_bench
data=${TARNWICK_BENCH_DATA:-$build/bench/tarnwick-bench-data}
runs=${RUNS:-5}
if ! command -v Rscript > /dev/null; then
  echo "R is not installed here (apt-get install -y r-base-core)." >&2
  exit 2
fi
if [ ! -x "$bench" ]; then
  echo "No $bench: build the project first (cmake --build $build --target tarnwick_bench)." >&2
  exit 2
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bench" run "$scenario" --runs "$runs" --data "$data" --estimates "$work/estimates.txt" \
  | tee "$work/run.txt"
summary=$(grep " median of " "$work/run.txt")
seconds=$(sed -E 's/.*total ([0-9.]+) s.*/\1/' <<< "$summary")
megabytes=$(sed -E 's/.*peak ([0-9.]+) MB.*/\1/' <<< "$summary")
"$bench" table "$scenario" "$work/table" --data "$data" > /dev/null
echo
echo "R glm on the dyad table of $scenario:"
Rscript "$here/compare_glm.R" "$work/table" "$work/estimates.txt" "$seconds" "$megabytes"
