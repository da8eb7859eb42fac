#!/bin/bash
# One shard of a Morvane ensemble per task of a Slurm job array. Submit from the folder that
# holds events.txt:   mkdir -p logs && sbatch shards.sbatch
# (Slurm opens each task's log in logs/ before this script runs.)
# Run part 3 again:   sbatch --array=3 shards.sbatch
# K is written here, not taken from the array, so that a part run again is still part I of K.
#SBATCH --job-name=morvane-shards
#SBATCH --array=1-8
#SBATCH --cpus-per-task=1
#SBATCH --output=logs/shard-%a.log
set -euo pipefail
K=8
mkdir -p samples
morvane-lab --runs 1000 --seed 1 --ticks 1000000 --every 5000 --events events.txt \
    --threads "${SLURM_CPUS_PER_TASK:-1}" --quiet \
    --shard "${SLURM_ARRAY_TASK_ID}/$K" --samples-out "samples/shard-${SLURM_ARRAY_TASK_ID}.smp"
