#!/usr/bin/env bash
# Two-mode networks at scale. Draws a network of 10,000 x 1,000 nodes from
#   edges + b1star(2) + b2star(2) + gwb1degree(0.5, fixed=TRUE) + gwb2degree(0.5, fixed=TRUE)
# at known coefficients (simulate from the empty network, one chain, 8 x 10^7 proposals of
# burn-in), then fits it by pseudo-likelihood and by MCMLE (wall and CPU time, peak memory by
# /usr/bin/time), and measures the sampler's proposals per second (CPU) with each family of
# two-mode terms beside gwesp on the same network (one chain, one thread, coefficients 0 but
# edges, so that every family works on the same networks).
#
#   bench/two_mode.sh BUILD_DIR [draw|fit|rates] ...   (default: all three)
#   e.g. bench/two_mode.sh build
set -euo pipefail
build=$1
shift
steps=("$@")
[ ${#steps[@]} -eq 0 ] && steps=(draw fit rates)
work=${TWO_MODE_WORK:-/tmp/tarnwick_two_mode}
mkdir -p "$work"
model='edges + b1star(2) + b2star(2) + gwb1degree(0.5, fixed=TRUE) + gwb2degree(0.5, fixed=TRUE)'
truth=-6,-0.2,-0.01,1,-1
shape=(--nodes 11000 --bipartite 10000)
network=$work/drawn/network_1.csv

timed() {
  /usr/bin/time -f "%e s wall, %U s CPU, %M KB" -o "$work/time" "$build/tarnwick" "$@"
}

for step in "${steps[@]}"; do
  case $step in
  draw)
    rm -rf "$work/drawn"
    timed simulate "${shape[@]}" -m "$model" --coef "$truth" --networks 1 --chains 1 \
      --burnin 80000000 --seed 5 --out "$work/drawn" --stats - -q
    echo "drawn: $(cat "$work/time")"
    ;;
  fit)
    for method in mple mcmle; do
      timed fit "$network" "${shape[@]}" -m "$model" --method "$method" -q \
        --json "$work/$method.json" || true
      echo "$method: $(cat "$work/time")"
      python3 - "$work/$method.json" "$truth" <<'PY' || true
import json, sys
fit = json.load(open(sys.argv[1]))
for row, truth in zip(fit["parameters"], map(float, sys.argv[2].split(","))):
    se = row["std_error"]
    print(f"  {row['term']:22} {row['estimate']:10.4f} {se:10.4f}  truth {truth:6.2f}  "
          f"(estimate - truth) / se {(row['estimate'] - truth) / se:6.2f}")
PY
    done
    ;;
  rates)
    links=$(($(wc -l <"$network") - 1))
    edges=$(python3 -c "import math; p = $links / 1e7; print(round(math.log(p / (1 - p)), 4))")
    for terms in "" "b1star(2) + b2star(2)" "gwb1degree(0.5, fixed=TRUE) + gwb2degree(0.5, fixed=TRUE)" \
      "b1degree(1:3) + b2degree(1:3)" "b1concurrent + b2concurrent" \
      "gwb1dsp(0.5, fixed=TRUE) + gwb2dsp(0.5, fixed=TRUE)" "b1dsp(1:2) + b2dsp(1:2)" \
      "cycle(4)" "gwesp(0.5, fixed=TRUE)"; do
      formula="edges${terms:+ + $terms}"
      count=$("$build/tarnwick" summary "$network" "${shape[@]}" -m "$formula" --json - 2>/dev/null |
        python3 -c 'import json, sys; print(len(json.load(sys.stdin)["statistics"]))')
      coef=$edges
      for ((k = 2; k <= count; k++)); do coef+=,0; done
      timed simulate "$network" "${shape[@]}" -m "$formula" --coef "$coef" --networks 20 \
        --burnin 2000000 --interval 1000000 --chains 1 --threads 1 --seed 1 >"$work/out"
      proposals=$(grep -o '[0-9]* proposals' "$work/out" | cut -d' ' -f1)
      cpu=$(grep -o '[0-9.]* s CPU' "$work/time" | cut -d' ' -f1)
      awk -v s="$cpu" -v p="$proposals" -v f="$formula" \
        'BEGIN { printf "%-70s %6.2f s CPU  %5.2f M proposals/s\n", f, s, p / s / 1e6 }'
    done
    ;;
  *)
    echo "unknown step $step (draw, fit, rates)" >&2
    exit 2
    ;;
  esac
done
