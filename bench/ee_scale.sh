#!/bin/bash
# Equilibrium expectation, simulation and goodness of fit at scale (README, "Large networks"):
#  1. a directed network of 10^6 nodes (about 7 million links, make_large_network --degree 6):
#     its exact maximum-likelihood estimate of edges + mutual + nodematch(dept)
#     (bench/exact_pair_mle.py), `fit --method ee` of that model (exact draws by classes of node
#     pairs: user guide 14.5), `summary` of
#     edges + mutual + gwesp(0.5, fixed=TRUE) + nodematch(dept), `simulate` and `gof`;
#  2. gw_departments (SHARED/data): `fit --method ee` and `fit --method mcmle` of its model;
#  3. a 10^5-node network drawn by MCMC from a gwesp model (make_large_network, then one chain
#     of `simulate`: six networks of burn-in, then six more from the last, whose first is kept
#     and whose later ones show its equilibrium), and `fit --method ee` of that model;
#  4. the same at 2 x 10^5 nodes: eight networks of one chain 5 x 10^7 proposals apart (the last
#     ones showing equilibrium), and `fit --method ee` of the last.
# Each command runs under /usr/bin/time -v (user CPU time, wall clock, peak resident memory, and
# the load average when it ended: the machine is shared); the JSON results are kept in DATA.
#   bench/ee_scale.sh [BUILD_DIR] [DATA_DIR] [SHARED_DIR] [PARTS...]   parts: 1 to 4 (default 1 2 3)
set -euo pipefail
build=${1:-build}
data=${2:-$build/bench/ee-scale}
shared=${3:-../shared}
shift $(( $# > 3 ? 3 : $# ))
parts=("$@")
[ ${#parts[@]} -gt 0 ] || parts=(1 2 3)
# The shortened equilibrium expectation of parts 3 and 4.
short_ee=(--ee-tasks 1 --ee-gain 0.2 --ee-draws 8 --sample-size 64 --chains 2 --threads 2 --seed 2
  --error-precision 0.1)
here=$(cd "$(dirname "$0")" && pwd)
tarnwick=$build/tarnwick
mkdir -p "$data"
measure() {  # label, command...
  local label=$1
  shift
  local log status=0
  log=$(mktemp)
  /usr/bin/time -v "$@" > "$log.out" 2> "$log" || status=$?
  local wall rss user load
  wall=$(grep "Elapsed (wall clock)" "$log" | awk '{print $NF}')
  rss=$(grep "Maximum resident set size" "$log" | awk '{print $NF}')
  user=$(grep "User time" "$log" | awk '{print $NF}')
  load=$(cut -d' ' -f1-3 /proc/loadavg)
  printf '%-44s CPU %8s s   wall %8s   peak %8.1f MB   exit %d   load %s\n' "$label" "$user" \
    "$wall" "$(echo "$rss / 1024" | bc -l)" "$status" "$load"
  grep -v "^	" "$log" | grep -v "Command being timed" | sed 's/^/    /' | head -20 || true
  rm -f "$log" "$log.out"
}
show() {  # JSON file, python expression on `r`
  python3 -c "import json,sys; r=json.load(open(sys.argv[1])); print('   ', $2)" "$1"
}

part_large() {
  local prefix=$data/n1m
  [ -f "$prefix.csv" ] || "$build/bench/make_large_network" 1000000 "$prefix" --degree 6 --seed 1
  echo "n = 10^6, $(( $(wc -l < "$prefix.csv") - 1 )) links"
  [ -f "${prefix}_exact.json" ] ||
    python3 "$here/exact_pair_mle.py" "$prefix.csv" "${prefix}_attributes.csv" > "${prefix}_exact.json"
  show "${prefix}_exact.json" "'exact MLE', r['estimate'], 'errors', r['standard_errors']"
  local model="edges + mutual + nodematch(dept)" attrs=(--attributes "${prefix}_attributes.csv")
  measure "  fit --method ee ($model)" "$tarnwick" fit "$prefix.csv" -m "$model" "${attrs[@]}" \
    --method ee -q --json "$data/ee_n1m.json"
  show "$data/ee_n1m.json" "r['outcome'], [(p['estimate'], p['std_error']) for p in r['parameters']], 'draws', r['ee']['equilibrium_expectation'].get('draws', 'chains')"
  local gw="edges + mutual + gwesp(0.5, fixed=TRUE) + nodematch(dept)"
  measure "  summary ($gw)" "$tarnwick" summary "$prefix.csv" -m "$gw" "${attrs[@]}" -q \
    --json "$data/summary_gw_n1m.json"
  local coef=-13.37,3.52,10.40
  measure "  simulate 4 networks" "$tarnwick" simulate "$prefix.csv" -m "$model" "${attrs[@]}" \
    --coef $coef --networks 4 --chains 2 -q --stats "$data/simulate_n1m.csv"
  measure "  gof 4 networks" "$tarnwick" gof "$prefix.csv" -m "$model" "${attrs[@]}" \
    --coef $coef --networks 4 --chains 2 -q --csv "$data/gof_n1m.csv"
}

part_gw_departments() {
  local net=$shared/data/gw_departments
  local model='edges + mutual + gwesp(0.5, fixed=TRUE) + gwidegree(0.5, fixed=TRUE) + gwodegree(0.5, fixed=TRUE) + nodematch("dept")'
  echo "gw_departments (truth -6.2 2.2 0.9 -0.3 -0.3 2.8)"
  for method in ee mcmle; do
    measure "  fit --method $method" "$tarnwick" fit "$net/network.csv" -m "$model" \
      --attributes "$net/attributes.csv" --method $method -q --json "$data/gw_$method.json"
  done
}

part_gwesp_100k() {
  local prefix=$data/n100k_d3
  [ -f "$prefix.csv" ] || "$build/bench/make_large_network" 100000 "$prefix" --degree 3 --seed 2
  local model="edges + mutual + gwesp(0.5, fixed=TRUE) + nodematch(dept)"
  local truth=-12.2,2.5,0.8,8.5
  local attrs=(--attributes "${prefix}_attributes.csv")
  local chain=(-m "$model" "${attrs[@]}" --coef $truth --networks 6 --chains 1
    --burnin 20000000 --interval 20000000 --threads 1 -q)
  echo "n = 10^5, drawn by MCMC from $model at $truth"
  rm -rf "$data/n100k_burnin" "$data/n100k_draws"
  measure "  simulate: burn-in, 6 networks 2 x 10^7 apart" "$tarnwick" simulate "$prefix.csv" \
    "${chain[@]}" --out "$data/n100k_burnin" --stats "$data/n100k_burnin.csv"
  sed 's/^/    /' "$data/n100k_burnin.csv"
  measure "  simulate: the chain goes on, 6 more" "$tarnwick" simulate \
    "$data/n100k_burnin/network_6.csv" "${chain[@]}" --out "$data/n100k_draws" \
    --stats "$data/n100k_draws.csv"
  sed 's/^/    /' "$data/n100k_draws.csv"
  # The defaults would take some 15 hours here (README); a shorter run (user guide 14.5), its
  # errors within 10% (ergm's default effective size gives about that).
  measure "  fit --method ee (the first network kept)" "$tarnwick" fit \
    "$data/n100k_draws/network_1.csv" -m "$model" "${attrs[@]}" --method ee -q \
    "${short_ee[@]}" --json "$data/ee_n100k.json"
  show "$data/ee_n100k.json" "r['outcome'], [(p['estimate'], p['std_error']) for p in r['parameters']]"
}

part_gwesp_200k() {
  local prefix=$data/n200k_d3
  [ -f "$prefix.csv" ] || "$build/bench/make_large_network" 200000 "$prefix" --degree 3 --seed 2
  local model="edges + mutual + gwesp(0.5, fixed=TRUE) + nodematch(dept)"
  echo "n = 2 x 10^5, drawn by MCMC from $model at -12.2,2.5,0.8,8.5"
  rm -rf "$data/n200k_burnin"
  measure "  simulate: burn-in, 8 networks 5 x 10^7 apart" "$tarnwick" simulate "$prefix.csv" \
    -m "$model" --attributes "${prefix}_attributes.csv" --coef -12.2,2.5,0.8,8.5 --networks 8 \
    --chains 1 --burnin 50000000 --interval 50000000 --threads 1 --seed 1 -q \
    --out "$data/n200k_burnin" --stats "$data/n200k_burnin.csv"
  sed 's/^/    /' "$data/n200k_burnin.csv"
  measure "  fit --method ee (the last network)" "$tarnwick" fit \
    "$data/n200k_burnin/network_8.csv" -m "$model" --attributes "${prefix}_attributes.csv" \
    --method ee -q "${short_ee[@]}" --json "$data/ee_n200k.json"
  show "$data/ee_n200k.json" "r['outcome'], [(p['estimate'], p['std_error']) for p in r['parameters']]"
}

for part in "${parts[@]}"; do
  case $part in
    1) part_large ;;
    2) part_gw_departments ;;
    3) part_gwesp_100k ;;
    4) part_gwesp_200k ;;
  esac
done
