#!/usr/bin/env python3
"""The real morvane window through a storm of mouse input on a private Xvfb display.

usage: storm_window_test.py [--wine] MORVANE WM_CLOSE [--clicks N] [--rss-tolerance-kb KB]

2,000 rapid clicks of every button, inside, outside and across the two canvases, pressed on
one and released on the other or off the window, while the window is minimised and restored
over and over. Afterwards the program must still run, have ticked at 100 a second throughout
and after (the graph's sweep, read from screenshots) and hold its memory: its resident set may
not grow by more than the tolerance over the storm, counted from after a small storm of the
same kinds, so that what the first minimise and the first clicks allocate once is not mistaken
for growth. With --wine, MORVANE is the Windows build, run under Wine in a private prefix.
"""

import argparse
import os
import random
import shutil
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from e2e_window_test import (  # noqa: E402
    ANIMAL, GRAPH, GRAPH_PIXELS_PER_SECOND, SPACE, Program, SweepClock, Window,
    check_rate_over_life, expect, failures, sweep_position)

SCREEN = (800, 640)
CLIENT = (516, 529)
BUTTONS = [1, 1, 1, 2, 2, 2, 3, 8, 9]  # left and right mostly; middle and the side buttons too


def stay_connected(display):
    """A client that stays connected to the display for the whole test. Xvfb resets when its
    last client leaves (here, the probe that found it ready), and a client that connects
    during the reset is turned away: the program then finds no display at all. With one
    client always connected no reset comes."""
    for _ in range(50):
        holder = subprocess.Popen(["xprop", "-root", "-spy"], env=display.env,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.1)
        if holder.poll() is None:
            return holder
    raise RuntimeError("cannot stay connected to the test display")


def minimise(display, wid):
    """What a window manager does to iconify: the state hint, then the unmap."""
    display.run("xprop", "-id", wid, "-f", "_NET_WM_STATE", "32a", "-set", "_NET_WM_STATE",
                "_NET_WM_STATE_HIDDEN")
    display.xdotool("windowunmap", wid)


def restore(display, wid):
    display.xdotool("windowmap", wid)
    display.run("xprop", "-id", wid, "-remove", "_NET_WM_STATE")


class Toggler(threading.Thread):
    """Minimises and restores the window every `period` seconds until stopped, restored."""

    def __init__(self, display, wid, period):
        super().__init__(daemon=True)
        self.display, self.wid, self.period = display, wid, period
        self.stop = threading.Event()
        self.cycles = 0
        self.error = None

    def run(self):
        try:
            while not self.stop.is_set():
                minimise(self.display, self.wid)
                self.stop.wait(self.period)
                restore(self.display, self.wid)
                self.cycles += 1
                self.stop.wait(self.period)
        except Exception as error:  # reported by the main thread
            self.error = error


def point_in(rng, win, area):
    left, top, width, height = area
    return win.x + left + rng.randrange(width), win.y + top + rng.randrange(height)


def on_screen(x, y):
    """xdotool would read a negative coordinate as an option."""
    return min(max(x, 0), SCREEN[0] - 1), min(max(y, 0), SCREEN[1] - 1)


def point_anywhere(rng, win):
    """Anywhere on and around the window: canvases, their edges, the face, the desktop."""
    return on_screen(win.x + rng.randrange(-40, CLIENT[0] + 40),
                     win.y + rng.randrange(-40, CLIENT[1] + 40))


def storm_commands(rng, win, count):
    """xdotool commands for `count` clicks of every kind, as one chained command line."""
    args = []
    for _ in range(count):
        button = rng.choice(BUTTONS)
        kind = rng.randrange(6)
        if kind == 0:    # a plain click in the world
            press = release = point_in(rng, win, SPACE)
        elif kind == 1:  # a plain click on the graph
            press = release = point_in(rng, win, GRAPH)
        elif kind == 2:  # pressed in the world, released on the graph
            press, release = point_in(rng, win, SPACE), point_in(rng, win, GRAPH)
        elif kind == 3:  # pressed on the graph, released in the world
            press, release = point_in(rng, win, GRAPH), point_in(rng, win, SPACE)
        elif kind == 4:  # pressed in the world, dragged off the window
            press = point_in(rng, win, SPACE)
            release = on_screen(win.x + rng.choice([-30, CLIENT[0] + 30]),
                                win.y + rng.randrange(CLIENT[1]))
        else:            # anywhere, edges and face and desktop included
            press, release = point_anywhere(rng, win), point_anywhere(rng, win)
        args += ["mousemove", *press, "mousedown", button]
        if press != release:
            # Across the canvases on the way, as a hand drags.
            middle = ((press[0] + release[0]) // 2, (press[1] + release[1]) // 2)
            args += ["mousemove", *middle, "mousemove", *release]
        args += ["mouseup", button]
    return args


def storm(win, rng, clicks, chunk, clock):
    sent = 0
    while sent < clicks:
        n = min(chunk, clicks - sent)
        win.display.xdotool(*storm_commands(rng, win, n))
        sent += n
        clock.look(min_gap=2.0)  # when the window happens to be shown
    return sent


def animals_shown(win):
    image, _ = win.shot()
    return sum(win.space(image, x, y) == ANIMAL for y in range(SPACE[3]) for x in range(SPACE[2]))


def rss_kb(proc):
    return xsession.status_kb(proc.pid, "VmRSS")


def sweep_rate(win, seconds, clock):
    """How far the graph's sweep moves on screen over `seconds`, and the seconds it took."""
    image, first = win.shot()
    clock.see(image, first)
    sweep_from = sweep_position(win, image)
    time.sleep(seconds)
    image, second = win.shot()
    clock.see(image, second)
    sweep_to = sweep_position(win, image)
    if sweep_from is None or sweep_to is None:
        return None, second - first
    advance = (sweep_to - sweep_from) % GRAPH[2]
    return advance, second - first


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine", action="store_true",
                        help="MORVANE is the Windows build: run it under Wine")
    parser.add_argument("morvane")
    parser.add_argument("wm_close")
    parser.add_argument("--clicks", type=int, default=2000)
    parser.add_argument("--rss-tolerance-kb", type=int, default=1024)
    args = parser.parse_args()

    missing = xsession.missing_tools() + [t for t in ("xprop",) if shutil.which(t) is None]
    if missing:
        print("missing tools: " + ", ".join(missing))
        return 1

    display = xsession.Display(*SCREEN)
    program = holder = None
    try:
        holder = stay_connected(display)
        program = Program(args.morvane, display, wine=args.wine)
        proc = program.proc
        wid = display.find_window("morvane", proc, timeout=program.start_timeout)
        win = Window(display, wid)
        clock = SweepClock(win)
        rng = random.Random(2000)

        # A small storm of the same kinds first: what the first clicks and the first
        # minimise allocate once belongs to the baseline, not to growth.
        toggler = Toggler(display, wid, 0.04)
        toggler.start()
        storm(win, rng, 100, 20, clock)
        toggler.stop.set()
        toggler.join()
        time.sleep(1.0)
        rss_before = rss_kb(proc)
        animals_before = animals_shown(win)

        toggler = Toggler(display, wid, 0.04)
        toggler.start()
        started = time.monotonic()
        sent = storm(win, rng, args.clicks, 20, clock)
        took = time.monotonic() - started
        toggler.stop.set()
        toggler.join()
        expect(toggler.error is None, f"minimising and restoring went through: {toggler.error}")
        print(f"     {sent} clicks in {took:.1f} s while minimised and restored "
              f"{toggler.cycles} times")
        expect(proc.poll() is None, f"the program survives {sent} clicks in the storm")

        time.sleep(0.3)  # the last restore's repaint, and any events still queued
        expect(display.geometry(wid)["viewable"], "the window is shown again after the storm")
        # Newcomers live for seconds, so the clicks that reached the world are still there.
        animals_after = animals_shown(win)
        expect(animals_after >= animals_before + 20,
               f"the storm's clicks reached the world: {animals_before} animals shown before it, "
               f"{animals_after} after")
        advance, seconds = sweep_rate(win, 5.0, clock)
        if expect(advance is not None, "the graph sweep is found after the storm"):
            expected = GRAPH_PIXELS_PER_SECOND * seconds
            expect(0.85 * expected - 2 <= advance <= expected + 2,
                   f"after the storm it ticks on: the sweep went {advance} px in {seconds:.1f} s "
                   f"({10 * advance / seconds:.0f} ticks per second, 100 expected)")

        rss_after = rss_kb(proc)
        grown = rss_after - rss_before
        expect(grown <= args.rss_tolerance_kb,
               f"its memory held: VmRSS {rss_before} kB before the storm, {rss_after} kB after "
               f"({grown:+d} kB, at most {args.rss_tolerance_kb} kB allowed)")

        check_rate_over_life(clock)
        display.run(args.wm_close, wid)
        status = program.wait(timeout=10)
        expect(status == 0, f"closing the window ends it with status {status}")
    finally:
        if program is not None:
            program.close()
        if holder is not None and holder.poll() is None:
            holder.kill()
            holder.wait()
        display.close()

    print(f"{len(failures)} failed" if failures else "all passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
