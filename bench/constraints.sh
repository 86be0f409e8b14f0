#!/usr/bin/env bash
# The sampler's proposals per second under sample-space constraints against none, on the
# school_large model at its true coefficients (SOURCES.md; without the edges term where the
# link count is fixed): one chain, one thread, 2 x 10^6
# proposals of burn-in and 20 networks 10^6 proposals apart, CPU time by /usr/bin/time.
# blockdiag needs a network without links across its blocks: it runs on the network's
# within-grade links, beside no constraint on the same network.
#
#   bench/constraints.sh BUILD_DIR DATA_DIR [CONSTRAINT ...]
#   e.g. bench/constraints.sh build ../shared/data
#        bench/constraints.sh build ../shared/data "" "bd(maxout=14)"
set -euo pipefail
build=$1
data=$2/school_large
shift 2
model='edges + nodematch("Grade") + nodematch("Race") + nodematch("Sex") + gwesp(0.25, fixed=TRUE)'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The within-grade links, by the Grade column of the attribute table.
awk -F, 'NR == FNR { if (FNR > 1) grade[$1] = $2; next }
         FNR == 1 || grade[$1] == grade[$2]' "$data/attributes.csv" "$data/network.csv" \
  >"$work/within.csv"

run() {
  local network=$1 constraint=$2
  local terms=$model coefficients=-9.78,2.74,0.91,0.77,1.80
  if [ "$constraint" = edges ] || [ "$constraint" = degrees ]; then
    # The link count is fixed: the edges term is constant, left out.
    terms=${model#edges + }
    coefficients=2.74,0.91,0.77,1.80
  fi
  local args=(simulate "$network" --undirected --attributes "$data/attributes.csv" -m "$terms"
    "--coef=$coefficients" --networks 20 --burnin 2000000 --interval 1000000
    --chains 1 --threads 1 --seed 1)
  [ -n "$constraint" ] && args+=(--constraints "$constraint")
  if ! /usr/bin/time -f "%U" -o "$work/time" "$build/tarnwick" "${args[@]}" >"$work/out" \
    2>"$work/err"; then
    cat "$work/err" >&2
    return 1
  fi
  local proposals
  proposals=$(grep -o '[0-9]* proposals' "$work/out" | cut -d' ' -f1)
  awk -v s="$(cat "$work/time")" -v p="$proposals" -v c="${constraint:-none}" \
    -v n="$(basename "$network")" \
    'BEGIN { printf "%-12s %-20s %6.2f s CPU  %5.2f M proposals/s\n", n, c, s, p / s / 1e6 }'
}

constraints=("$@")
[ ${#constraints[@]} -eq 0 ] && constraints=("" "bd(maxout=14)" "edges" "degrees")
for c in "${constraints[@]}"; do run "$data/network.csv" "$c"; done
run "$work/within.csv" ""
run "$work/within.csv" 'blockdiag("Grade")'
