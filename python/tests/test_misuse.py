"""A World holds against misuse: an object pickle's protocol has not finished building, a second
build of a live world, two threads on one world, a Ctrl-C in a long step, and arguments of every
type a caller might pass."""
import os
import signal
import subprocess
import sys
import textwrap
import threading

import numpy as np
import pytest

import morvane

SANITIZED = os.environ.get("MORVANE_SANITIZED") == "1"
WHOLE = "(expected a whole number from 0 to 18446744073709551615)"


def run_python(code, timeout=120):
    """Runs `code` in a fresh interpreter, so that a crash is a failed test, not a lost run."""
    return subprocess.run([sys.executable, "-c", textwrap.dedent(code)], capture_output=True,
                          text=True, timeout=timeout)


def test_a_world_not_yet_built_refuses_every_call_and_pickle_still_builds_it():
    done = run_python("""
        import copy, pickle, morvane
        w = morvane.World.__new__(morvane.World)
        calls = [w.hash, lambda: w.step(1), lambda: w.ticks_run, lambda: w.counts,
                 w.checkpoint, lambda: w.fork(1), lambda: w.animals, lambda: w.plants,
                 lambda: w.space, lambda: w.graph, lambda: w.release("left", 1, 1),
                 lambda: repr(w), lambda: copy.copy(w), lambda: copy.deepcopy(w),
                 lambda: pickle.dumps(w)]
        for call in calls:
            try:
                call()
                print("answered")
            except morvane.Refused as refused:
                print(refused)
        kept = morvane.World(4)
        kept.step(300)
        w.__setstate__(kept.__getstate__())
        print(w.ticks_run, w.hash() == kept.hash())
    """)
    assert done.returncode == 0, done.stderr
    lines = done.stdout.splitlines()
    assert lines[:-1] == ["this World was not initialised"] * 15
    assert lines[-1] == "300 True"


def test_a_built_world_is_never_rebuilt_in_place():
    world = morvane.World(1)
    world.step(50)
    other = morvane.World(2)
    other.step(100)
    for rebuild in (lambda: world.__setstate__(b"garbage"), lambda: world.__setstate__(12345),
                    lambda: world.__setstate__(other.__getstate__()),
                    lambda: world.__init__(2)):
        with pytest.raises(morvane.Refused, match="this World is already built"):
            rebuild()
    fresh = morvane.World(1)
    fresh.step(50)
    assert world.ticks_run == 50 and world.hash() == fresh.hash()


def test_threads_sharing_a_world_run_each_step_whole():
    ticks = 2_000 if SANITIZED else 20_000
    world = morvane.World(5)
    threads = [threading.Thread(target=world.step, args=(ticks,)) for _ in range(2)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    straight = morvane.World(5)
    straight.step(2 * ticks)
    assert world.ticks_run == 2 * ticks and world.hash() == straight.hash()

    # Checkpoints taken while another thread steps hold whole ticks only.
    stepping, read_back, faults = True, [], []

    def keep():
        while stepping:
            try:
                read_back.append(morvane.World.from_checkpoint(world.checkpoint()).ticks_run)
            except morvane.Refused as refused:
                faults.append(str(refused))

    keeper = threading.Thread(target=keep)
    keeper.start()
    for _ in range(10):
        world.step(ticks // 4)
    stepping = False
    keeper.join()
    assert not faults
    assert all(t % (ticks // 4) == 0 for t in read_back), read_back


@pytest.mark.skipif(sys.platform != "linux", reason="sends itself SIGINT")
def test_ctrl_c_stops_a_step_at_a_whole_tick_and_the_world_goes_on_exactly():
    done = run_python("""
        import os, signal, threading, time, morvane
        world = morvane.World(7)
        threading.Timer(0.5, os.kill, (os.getpid(), signal.SIGINT)).start()
        start = time.monotonic()
        try:
            world.step(10**12)
            print("not stopped")
        except KeyboardInterrupt:
            print(f"stopped {time.monotonic() - start:.2f} {world.ticks_run}")
        reached = world.ticks_run
        world.step(1000)
        straight = morvane.World(7)
        straight.step(reached + 1000)
        print(world.hash() == straight.hash())
    """, timeout=60)
    assert done.returncode == 0, done.stderr
    stopped, same = done.stdout.splitlines()
    word, seconds, ticks = stopped.split()
    assert word == "stopped" and 0 < int(ticks) < 10**12
    assert float(seconds) < (30 if SANITIZED else 5), seconds
    assert same == "True"


def test_any_integer_and_any_bytes_like_are_taken_and_other_types_refused_in_words():
    world = morvane.World(np.uint64(2**64 - 1))
    assert world.hash() == morvane.World(2**64 - 1).hash()
    world.step(np.int16(30))
    world.release("left", np.float32(100), np.int64(120))
    assert world.ticks_run == 30 and world.animals.alive.sum() >= 1
    kept = world.checkpoint()
    for data in (bytearray(kept), memoryview(kept), np.frombuffer(kept, dtype=np.uint8)):
        assert morvane.World.from_checkpoint(data).hash() == world.hash()
    assert world.fork(np.uint8(9)).hash() == world.fork(9).hash()

    cases = [
        (lambda: morvane.World(seed="x"), f"seed 'x' is text, not a number {WHOLE}"),
        (lambda: morvane.World(seed=1.5), f"seed '1.5' is not a whole number {WHOLE}"),
        (lambda: morvane.World(seed=np.int8(-1)), f"seed '-1' is negative {WHOLE}"),
        (lambda: morvane.World(True), f"seed 'True' is a truth value, not a number {WHOLE}"),
        (lambda: morvane.World(10**5000), "seed (a value of type int that str() will not show)"),
        (lambda: world.step(1.5), f"ticks '1.5' is not a whole number {WHOLE}"),
        (lambda: world.step(5.0), f"ticks '5.0' is a float, not an int {WHOLE}"),
        (lambda: world.step("5"), f"ticks '5' is text, not a number {WHOLE}"),
        (lambda: world.step(None), f"ticks 'None' is not a number {WHOLE}"),
        (lambda: world.step(float("nan")), f"ticks 'nan' is not finite {WHOLE}"),
        (lambda: world.fork(b"1"), "seed 'b\\'1\\'' is text, not a number"),
        (lambda: world.release(None, 0, 0),
         "button 'None' is not text (expected left, right or middle)"),
        (lambda: world.release(b"left", 0, 0), "button 'b\\'left\\'' is not text"),
        (lambda: world.release("left\0\x1b[2J", 0, 0),
         "unknown button 'left\\0\\x1b[2J' (expected left, right or middle)"),
        (lambda: world.release("left", "100", 0), "x '100' is text, not a number"),
        (lambda: world.release("left", 0, True), "y 'True' is a truth value, not a number"),
        (lambda: world.release("left", 10**400, 0), "x '1000000000"),
        (lambda: world.release("left", 0, object()), "y '<object object at"),
        (lambda: morvane.World.from_checkpoint("MORVCKPT"),
         "checkpoint: expected bytes, bytearray or memoryview, not str"),
        (lambda: morvane.World.from_checkpoint(None),
         "checkpoint: expected bytes, bytearray or memoryview, not NoneType"),
    ]
    for call, words in cases:
        with pytest.raises(morvane.Refused) as refused:
            call()
        assert str(refused.value).startswith(words), (words, str(refused.value))
    assert "...' (401 characters) is beyond the range of a 32-bit float" in str(
        pytest.raises(morvane.Refused, world.release, "left", 10**400, 0).value)
    assert world.ticks_run == 30
