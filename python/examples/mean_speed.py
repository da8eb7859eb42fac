"""Twenty worlds on a thread pool, and the mean speed of each over time, with matplotlib.

    PYTHONPATH=build/release/python python3 python/examples/mean_speed.py docs/python-mean-speed.png
"""
import sys
from concurrent.futures import ThreadPoolExecutor

import matplotlib

matplotlib.use("Agg")  # draws to a file, with or without a display
import matplotlib.pyplot as plt
import numpy as np

import morvane

TICKS, EVERY = 100_000, 1_000


def mean_speeds(seed):
    world = morvane.World(seed)
    means = []
    for _ in range(TICKS // EVERY):
        world.step(EVERY)  # the GIL is free meanwhile: the other threads' worlds run too
        alive = world.animals.alive
        speed = world.animals.speed[alive]
        means.append(speed.mean(dtype=np.float64) if alive.any() else np.nan)
    return means


with ThreadPoolExecutor() as pool:
    runs = np.array(list(pool.map(mean_speeds, range(20))))

ticks = np.arange(1, runs.shape[1] + 1) * EVERY
fig, ax = plt.subplots(figsize=(8, 4.5))
ax.plot(ticks, runs.T, color="tab:blue", alpha=0.25, linewidth=0.8)
ax.plot(ticks, np.nanmedian(runs, axis=0), color="black", linewidth=2, label="median of 20 seeds")
ax.set(xlabel="ticks", ylabel="mean speed of the living (pixels/tick)",
       title="Morvane from Python: 20 seeds on a thread pool")
ax.legend()
fig.tight_layout()
fig.savefig(sys.argv[1] if len(sys.argv) > 1 else "mean-speed.png", dpi=100)
