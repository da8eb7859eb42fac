"""The Python world is morvane-lab's world: the same hashes and the same checkpoints, its tables
shown live and read-only, bad requests refused in the lab's words, and worlds on two threads
running side by side."""
import copy
import os
import pickle
import subprocess
import threading
import time

import numpy as np
import pytest

import morvane

LAB = os.environ["MORVANE_LAB"]
SANITIZED = os.environ.get("MORVANE_SANITIZED") == "1"

RELEASES = [(0, "left", 100.0, 200.0), (0, "right", 50.5, 60.0), (0, "left", 101.5, 200.0),
            (300, "right", 248.0, 214.5), (300, "middle", 5.0, 5.0), (700, "left", 10.25, 10.0)]


def lab(tmp_path, *args):
    done = subprocess.run([LAB, "--quiet", *args], cwd=tmp_path, capture_output=True, text=True,
                          timeout=120)
    assert done.returncode == 0, done.stderr
    return done.stdout


def run_script(world, ticks, releases):
    """Steps `world` to `ticks`, delivering each release after its tick count."""
    for after, button, x, y in sorted(releases, key=lambda r: r[0]):
        world.step(after - world.ticks_run)
        world.release(button, x, y)
    world.step(ticks - world.ticks_run)


@pytest.mark.parametrize("seed", [None, 7, 123456789])
def test_hashes_and_checkpoints_are_the_labs(tmp_path, seed):
    seed_args = [] if seed is None else ["--seed", str(seed)]
    (tmp_path / "ev.txt").write_text("".join(f"{a} {b} {x} {y}\n" for a, b, x, y in RELEASES))
    for releases, events in (([], []), (RELEASES, ["--events", "ev.txt"])):
        world = morvane.World(seed)
        run_script(world, 2000, releases)
        out = lab(tmp_path, "--ticks", "2000", "--hash", "--checkpoint-out", "w.ckpt", *seed_args,
                  *events)
        assert f"{world.hash():016x}" == out.strip()
        assert world.checkpoint() == (tmp_path / "w.ckpt").read_bytes()
    if seed == 7:
        assert f"{morvane.World(7).hash():016x}" != out.strip()


def test_the_tables_are_live_read_only_views_of_the_world():
    world = morvane.World(3)
    world.release("left", 100, 100)
    animals, plants = world.animals, world.plants
    for name, dtype in [("x", np.float32), ("y", np.float32), ("heading", np.float32),
                        ("energy", np.int16), ("target", np.int16), ("mode", np.int16),
                        ("turn", np.float32), ("speed", np.float32)]:
        column = getattr(animals, name)
        assert column.dtype == dtype and column.shape == (251,), name
        assert not column.flags.writeable
        with pytest.raises(ValueError):
            column[0] = 1
    for name in ("x", "y", "size"):
        assert getattr(plants, name).dtype == np.int16 and getattr(plants, name).shape == (501,)
    assert world.space.shape == (429, 496, 3) and world.space.dtype == np.uint8
    assert world.graph.shape == (69, 496, 3) and not world.space.flags.writeable
    assert animals.alive.sum() == 1 and animals.x[0] == np.float32(100)

    energy, space, x = animals.energy, world.space, animals.x
    before, dark = energy.copy(), space.copy()
    world.step(50)
    assert (energy != before).any(), "an array taken before a step shows the world after it"
    assert (space != dark).any()
    assert x[0] != np.float32(100)
    assert world.ticks_run == 50 and world.counts[0] >= 1 and world.counts[1] >= 0
    del world  # the arrays keep the world alive
    assert energy.shape == (251,) and int(energy.sum()) >= 0
    # An animal's dot is orange-red and a plant's green on the world canvas.
    painted = {tuple(c) for c in space.reshape(-1, 3)}
    assert (255, 50, 0) in painted


def test_kept_pickled_copied_and_forked_worlds_go_on_exactly():
    world = morvane.World(11)
    run_script(world, 1500, RELEASES)
    kept = world.checkpoint()
    for again in (morvane.World.from_checkpoint(kept), pickle.loads(pickle.dumps(world)),
                  copy.deepcopy(world), copy.copy(world)):
        assert again.ticks_run == 1500 and again.hash() == world.hash()
        again.step(700)
        assert again.checkpoint() != kept
    world.step(700)
    assert again.hash() == world.hash()
    assert np.array_equal(again.space, world.space)

    fork_a, fork_b = world.fork(5), world.fork(5)
    assert fork_a.ticks_run == world.ticks_run and fork_a.hash() == world.hash()
    fork_a.step(500), fork_b.step(500), world.step(500)
    assert fork_a.hash() == fork_b.hash() != world.hash()


def test_bad_requests_are_refused_in_the_labs_words():
    world = morvane.World()
    cases = [
        (lambda: world.release("up", 1, 2), "unknown button 'up' (expected left, right or middle)"),
        (lambda: world.step(-5), "ticks '-5' is negative"),
        (lambda: world.step(2**64), "ticks '18446744073709551616' is too large"),
        (lambda: world.release("left", float("inf"), 2), "x 'inf' is not a finite decimal number"),
        (lambda: world.release("left", 2, float("nan")), "y 'nan' is not a finite decimal number"),
        (lambda: world.release("right", 1e39, 2), "x '1e+39' is beyond the range of a 32-bit float"),
        (lambda: morvane.World.from_checkpoint(b"{}"), "checkpoint: not a checkpoint"),
        (lambda: morvane.World.from_checkpoint(world.checkpoint()[:-1]), "checkpoint: "),
        (lambda: morvane.World(-1), "seed '-1' is negative"),
        (lambda: world.fork(2**64), "seed '18446744073709551616' is too large"),
    ]
    for call, words in cases:
        with pytest.raises(ValueError) as refused:
            call()
        assert str(refused.value).startswith(words)
    assert world.ticks_run == 0 and world.hash() == morvane.World().hash()


def test_worlds_on_two_threads_step_side_by_side():
    ticks = 20_000 if SANITIZED else 200_000

    def step(world):
        world.step(ticks)

    alone = morvane.World(1)
    start = time.perf_counter()
    step(alone)
    one = time.perf_counter() - start

    pair = [morvane.World(1), morvane.World(2)]
    threads = [threading.Thread(target=step, args=(w,)) for w in pair]
    start = time.perf_counter()
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    two = time.perf_counter() - start
    assert pair[0].hash() == alone.hash()
    if SANITIZED:
        pytest.skip("the sanitizers' bookkeeping, not the world, sets the pace of their threads")
    assert two < 1.5 * one, f"two worlds took {two:.2f} s, one alone {one:.2f} s"


def test_help_describes_every_method():
    for name in ("step", "release", "checkpoint", "from_checkpoint", "fork", "hash"):
        assert getattr(morvane.World, name).__doc__, name
    assert "seed" in morvane.World.__init__.__doc__


def test_a_world_without_canvases_is_the_same_world_and_says_what_it_cannot_do():
    bare, full = morvane.World(9, canvases=False), morvane.World(9)
    for world in (bare, full):
        run_script(world, 3000, RELEASES)
    assert bare.hash() == full.hash()
    assert np.array_equal(bare.animals.x, full.animals.x)
    for call in (lambda: bare.space, lambda: bare.graph, bare.checkpoint,
                 lambda: pickle.dumps(bare)):
        with pytest.raises(ValueError, match="this world keeps none"):
            call()
    assert bare.fork(1).hash() == full.fork(1).hash()
    copied = copy.deepcopy(bare)
    assert copied.hash() == bare.hash() and copied.counts == bare.counts
