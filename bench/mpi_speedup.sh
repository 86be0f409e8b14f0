#!/bin/bash
# Times fit --method ee (or mcmle) on one process and on 2 MPI processes (Open MPI's mpirun), one
# thread each, and checks that the JSON results are the same. EE deals its tasks out to the
# processes, MCMLE (and EE's check) its chains. Each process's CPU time is written too
# (on a machine shared with other work the wall clock says little about the gain).
#   bench/mpi_speedup.sh BUILD_DIR DATA_DIR OUT_DIR gw_departments|school [ee|mcmle [fit options...]]
# BUILD_DIR must be configured with -DTARNWICK_MPI=ON.
set -euo pipefail
build=$(realpath "$1") data=$(realpath "$2") out=$3 network=$4
method=${5:-ee}
shift $(( $# > 5 ? 5 : $# ))
mkdir -p "$out" && cd "$out" && rm -f times.txt
GW="edges + mutual + gwesp(0.5, fixed=TRUE) + gwidegree(0.5, fixed=TRUE) + gwodegree(0.5, fixed=TRUE)"
SCHOOL='edges + nodefactor("Grade") + nodematch("Grade", diff=TRUE) + gwesp(0.25, fixed=TRUE)'
D=$data/$network
case $network in
  gw_departments) model=(-m "$GW + nodematch(dept)") ;;
  school) model=(-m "$SCHOOL" --undirected) ;;
  *) echo "unknown network $network" >&2 && exit 2 ;;
esac
fit=(fit "$D/network.csv" --attributes "$D/attributes.csv" "${model[@]}" --method "$method" --seed 1
  --threads 1 --quiet "$@")
cpu=(/usr/bin/time -a -o "$PWD/times.txt" -f "  one process: %U s CPU")
run() {
  local name=$1
  shift
  /usr/bin/time -a -o times.txt -f "$name: %e s wall" "$@" --json "$name.json"
}
run threads1 "${cpu[@]}" "$build/tarnwick" "${fit[@]}"
run ranks1 mpirun --allow-run-as-root --oversubscribe -np 1 "${cpu[@]}" "$build/tarnwick" "${fit[@]}"
run ranks2 mpirun --allow-run-as-root --oversubscribe -np 2 "${cpu[@]}" "$build/tarnwick" "${fit[@]}"
cmp threads1.json ranks1.json && cmp threads1.json ranks2.json && echo "the same JSON" >> times.txt
cat times.txt
