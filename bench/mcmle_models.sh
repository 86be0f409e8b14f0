#!/bin/bash
# The maximum-likelihood figures of the README, one fit at a time: bench/mcmle_models.sh
# [BUILD_DIR] [OUT_DIR]. Each fit writes OUT/NAME.json, and one line to OUT/log.txt: its exit
# status, wall clock and peak memory, outcome, iterations, estimates and errors.
set -u
build=${1:-build} out=${2:-/tmp/mcmle_models}
mkdir -p "$out"
T=$(realpath "$build")/tarnwick
here=$(cd "$(dirname "$0")/.." && pwd)
D=$here/../shared/data
E=$here/examples
GW='edges + mutual + gwesp(0.5, fixed=TRUE) + gwidegree(0.5, fixed=TRUE) + gwodegree(0.5, fixed=TRUE)'
SCHOOL='edges + nodefactor("Grade") + nodematch("Grade", diff=TRUE) + gwesp(0.25, fixed=TRUE)'
LARGE='edges + nodematch("Grade") + nodematch("Race") + nodematch("Sex") + gwesp(0.25, fixed=TRUE)'
run() { # name, args...
  local name=$1; shift
  /usr/bin/time -f "%e s %M KB" -o $out/$name.time "$T" "$@" --quiet --json $out/$name.json 2>$out/$name.err
  echo "$name status=$? $(cat $out/$name.time | tail -1) $(python3 -c "
import json; d=json.load(open('$out/$name.json')); mc=d.get('mcmle') or (d.get('ee') or {}).get('mcmle') or {}
print(d['outcome'], 'it', mc.get('iterations'), 'est', [round(p['estimate'],3) for p in d['parameters']], 'se', [round(p['std_error'],3) if p['std_error'] is not None else None for p in d['parameters']])" 2>&1)" >> $out/log.txt
}
for s in 1 2 3; do
  run advice_gwesp_$s fit $E/advice.csv -m 'edges + mutual + gwesp(0.5, fixed=TRUE)' --method mcmle --seed $s
  run advice_attr_$s fit $E/advice.csv --attributes $E/attributes.csv -m 'edges + mutual + gwesp(0.3, fixed=TRUE) + nodematch(level) + nodeicov(age)' --method mcmle --seed $s
  run advice_GW_$s fit $E/advice.csv -m "$GW" --method mcmle --seed $s
done
for m in mcmle ee; do for s in 1 2 3; do
  run school_${m}_$s fit $D/school/network.csv --undirected --attributes $D/school/attributes.csv -m "$SCHOOL" --method $m --seed $s --threads 2
done; done
for m in mcmle ee; do
  run large_${m}_1 fit $D/school_large/network.csv --undirected --attributes $D/school_large/attributes.csv -m "$LARGE" --method $m --seed 1 --threads 2
  run gwd_${m}_1 fit $D/gw_departments/network.csv --attributes $D/gw_departments/attributes.csv -m "$GW + nodematch(dept)" --method $m --seed 1 --threads 2
done
echo done >> $out/log.txt
