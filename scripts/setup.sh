#!/bin/bash
# Installs what the build and the tests need, where it is missing (Debian packages).
set -euo pipefail
needed=(cmake g++ libgtest-dev libbenchmark-dev clang libclang-rt-14-dev)
missing=()
for package in "${needed[@]}"; do
  dpkg -s "$package" > /dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" = 0 ]; then sudo=""; else sudo="sudo"; fi
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq "${missing[@]}" > /dev/null
fi
