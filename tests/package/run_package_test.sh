#!/bin/bash
# Installs the build into a temporary prefix, builds tests/package against it by
# find_package(tarnwick), and checks what the program prints for the Florentine marriages.
#   run_package_test.sh BUILD_DIR SOURCE_DIR [LINK_FLAGS]
set -euo pipefail
build=$1 source=$2 flags=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" > /dev/null
cmake -S "$source/tests/package" -B "$work/build" -DCMAKE_PREFIX_PATH="$work/prefix" \
  -DCMAKE_EXE_LINKER_FLAGS="$flags" > /dev/null
cmake --build "$work/build" > /dev/null
output=$("$work/build/uses_tarnwick" "$source/examples/florentine_marriage.net")
echo "$output"
# 20 edges of 120 dyads: with kstar(2) the edges coefficient is the pseudo-likelihood's.
expected=$("$build/tarnwick" fit "$source/examples/florentine_marriage.net" --undirected \
  -m 'edges + kstar(2)' --quiet --csv - 2>/dev/null | awk -F, 'NR == 2 { print $2 }')
read -r method outcome estimate error <<< "$(echo "$output" | head -1)"
[ "$method" = mple ] && [ "$outcome" = converged ] || { echo "unexpected: $output"; exit 1; }
awk -v a="$estimate" -v b="$expected" 'BEGIN { d = a - b; exit !(d < 1e-5 && d > -1e-5) }' \
  || { echo "edges $estimate, the command line gives $expected"; exit 1; }
echo "$output" | grep -qx ModelError || { echo "no ModelError"; exit 1; }
