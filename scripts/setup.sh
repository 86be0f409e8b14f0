#!/bin/bash
# Installs the Debian packages the project needs, where they are missing.
#   bash scripts/setup.sh          what the program needs to build
#   bash scripts/setup.sh --python that, and the Python package's (pybind11, networkx, pandas)
#   bash scripts/setup.sh --tests  all that, and what the tests, benchmarks and fuzzers need
#                                  (matplotlib: the Python package's plots; libxml2: the
#                                  figures checked as XML; Open MPI: the build with
#                                  -DTARNWICK_MPI=ON and its runs under mpirun)
#   bash scripts/setup.sh --mpi    what the program needs, and Open MPI (-DTARNWICK_MPI=ON)
# The Python package is for Debian's /usr/bin/python3; nothing comes from PyPI.
set -euo pipefail
needed=(cmake g++ libcli11-dev nlohmann-json3-dev libglpk-dev)
python=(python3-dev pybind11-dev python3-pybind11 python3-networkx python3-pandas python3-numpy
  python3-scipy)
if [ "${1:-}" = "--python" ]; then
  needed+=("${python[@]}")
fi
mpi=(libopenmpi-dev openmpi-bin)
if [ "${1:-}" = "--mpi" ]; then
  needed+=("${mpi[@]}")
fi
if [ "${1:-}" = "--tests" ]; then
  needed+=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev librsvg2-bin
    libxml2-dev)
  needed+=("${python[@]}" python3-pytest python3-matplotlib "${mpi[@]}")
fi
missing=()
for package in "${needed[@]}"; do
  # Installed, not merely known: a package removed without purging keeps its configuration
  # files, and dpkg -s still answers for it.
  status=$(dpkg-query -W -f='${Status}' "$package" 2> /dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" = 0 ]; then sudo=""; else sudo="sudo"; fi
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" > /dev/null
fi
