#!/bin/bash
# The merge step, once every shard is in:
#   sbatch --dependency=afterok:<the array's job id> merge.sbatch
# It refuses, naming the files, if a shard is missing, repeated or of another request.
#SBATCH --job-name=morvane-merge
#SBATCH --output=logs/merge.log
set -euo pipefail
# The hashes go to a file of their own only once the merge has ended well.
morvane-lab merge samples/shard-*.smp --summary-out summary.csv --ensemble-out ensemble.csv \
    --hash > hashes.txt.new
mv hashes.txt.new hashes.txt
python3 -m morvane.figures ensemble ensemble.csv -o ensemble.png
