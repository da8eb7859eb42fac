#!/bin/bash
# A sweep over Morvane's rules as a Slurm job array: tasks 1..K each run part I of K of the
# sweep's points x runs, task 0 merges the parts. Submit from the folder to hold the results:
#   mkdir -p logs
#   jid=$(sbatch --parsable sweep.sbatch)
#   sbatch --array=0 --dependency=afterok:$jid sweep.sbatch
# (Slurm opens each task's log in logs/ before this script runs.)
# Run part 3 again, then merge again:
#   sbatch --array=3 sweep.sbatch
#   sbatch --array=0 sweep.sbatch
# K is written here, not taken from the array, so that a part run again is still part I of K.
#SBATCH --job-name=morvane-sweep
#SBATCH --array=1-10
#SBATCH --cpus-per-task=1
#SBATCH --output=logs/sweep-%a.log
set -euo pipefail
K=10
part=${SLURM_ARRAY_TASK_ID}
if [ "$part" -eq 0 ]; then
    # Refuses, naming the files, if a part is missing, repeated or of another sweep.
    # The hashes go to a file of their own only once the merge has ended well.
    morvane-lab merge samples/part-*-of-$K.smp --sweep-out sweep.csv \
        --ensemble-out sweep-ensemble.csv --hash > hashes.txt.new
    mv hashes.txt.new hashes.txt
    python3 -m morvane.figures ensemble sweep-ensemble.csv -o sweep.png
else
    # Five points of 20 seeds each: 100 runs, 10 to a part.
    mkdir -p samples
    morvane-lab --vary speed-mutation=0,0.125,0.25,0.5,1 --runs 20 --seed 1 \
        --ticks 200000 --every 1000 --threads "${SLURM_CPUS_PER_TASK:-1}" --quiet \
        --shard "$part/$K" --samples-out "samples/part-$part-of-$K.smp"
fi
