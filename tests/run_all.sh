#!/bin/bash
# Builds and runs every test: the plain build (with MPI, so that its runs under mpirun are
# tested too), the same suite under AddressSanitizer and UndefinedBehaviorSanitizer (without
# MPI), and short runs of the fuzz targets over their seed corpora.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --tests
jobs=$(nproc 2>/dev/null || echo 2)

echo "== plain build"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DTARNWICK_MPI=ON -DTARNWICK_PYTHON=ON > /dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== sanitizer build"
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_SANITIZE=ON -DBUILD_TESTING=ON \
  -DTARNWICK_BENCH=OFF > /dev/null
cmake --build build-sanitize -j"$jobs"
ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

echo "== fuzzing"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTARNWICK_FUZZ=ON -DTARNWICK_BENCH=OFF -DBUILD_TESTING=OFF > /dev/null
cmake --build build-fuzz -j"$jobs" --target fuzz_format fuzz_network fuzz_edge_list fuzz_dialogue
seconds=${FUZZ_SECONDS:-30}
for target in format network edge_list dialogue; do
  found=$(mktemp -d)
  # New inputs go to a scratch folder; the seed corpus in the repository stays as it is.
  # Its path is absolute, since the dialogue target works in a folder of its own.
  if ! ./build-fuzz/fuzz/fuzz_$target -max_total_time="$seconds" -rss_limit_mb=4096 \
      -artifact_prefix="$found/" "$found" "$PWD/fuzz/corpus/$target" > "$found.log" 2>&1; then
    tail -60 "$found.log"
    echo "fuzz_$target found a failure; its input is kept in $found"
    exit 1
  fi
  tail -1 "$found.log"
  rm -rf "$found" "$found.log"
done
echo "fuzzing: 4 passed, 0 failed"
