#!/bin/bash
# A fit on K machines under Slurm: one MPI process per machine, each with every core of its
# machine as threads. Submit from the folder of the data, with the program built with
# -DTARNWICK_MPI=ON on a file system that every node sees:
#
#   sbatch --nodes=4 scripts/slurm_fit.sh network.csv --attributes attributes.csv \
#       -m "edges + mutual + gwesp(0.5, fixed=TRUE) + nodematch(dept)" --method ee \
#       --ee-tasks 8 --json fit.json
#
# The arguments are those of `tarnwick fit`. The first process writes the results; the seed and
# task count, not the number of machines, decide them (the same JSON on 1, 2 or K machines).
# Equilibrium expectation's tasks and the chains of its check and of MCMLE are what is divided:
# more machines than --ee-tasks or --chains (default 8) add nothing to those parts.
#SBATCH --job-name=tarnwick-fit
#SBATCH --ntasks-per-node=1
#SBATCH --exclusive
#SBATCH --output=tarnwick-fit-%j.out
set -euo pipefail

program=${TARNWICK:-$(dirname "$0")/../build/tarnwick}
threads=${SLURM_CPUS_ON_NODE:-$(nproc)}
# Every core of the machine as threads, unless the arguments say how many.
thread_option=(--threads "$threads")
for argument in "$@"; do
  if [ "$argument" = "--threads" ]; then thread_option=(); fi
done
# srun starts one process per node; Open MPI built with Slurm support needs no mpirun.
exec srun --ntasks="${SLURM_NNODES:-1}" --ntasks-per-node=1 --cpus-per-task="$threads" \
  "$program" fit "$@" "${thread_option[@]}"
