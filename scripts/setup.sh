#!/bin/bash
# Installs the Debian packages the project needs, where they are missing.
#   bash scripts/setup.sh          what the program needs to build
#   bash scripts/setup.sh --tests  that, and what the tests, benchmarks and fuzzers need
set -euo pipefail
needed=(cmake g++ libcli11-dev nlohmann-json3-dev libglpk-dev)
if [ "${1:-}" = "--tests" ]; then
  needed+=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev librsvg2-bin)
fi
missing=()
for package in "${needed[@]}"; do
  dpkg -s "$package" > /dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" = 0 ]; then sudo=""; else sudo="sudo"; fi
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" > /dev/null
fi
