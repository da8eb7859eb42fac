#!/usr/bin/env python3
"""The real morvane window on a private Xvfb display, driven with xdotool as a person would.

usage: e2e_window_test.py [--wine] MORVANE WM_CLOSE
With --wine, MORVANE is the Windows build (Morvane.exe), run under Wine in a private prefix.
Looks at the window only through screenshots, by colour, never by whole-image equality, and
at the program only from outside: its tick rate from the graph's sweep, its CPU time from
/proc.
"""

import argparse
import os
import math
import random
import subprocess
import sys
import time
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import wine_prefix  # noqa: E402
import xsession  # noqa: E402

ANIMAL = (255, 50, 0)
FACE = (240, 240, 240)
SHADOW = (160, 160, 160)  # the outer ring of a sunken edge, top and left
SPACE = (10, 10, 496, 429)  # drawable areas in window pixels: left, top, width, height
GRAPH = (10, 450, 496, 69)
FACE_AT = (3, 3)
NEWCOMER_SPEED = 0.3  # pixels per tick of an animal put down with the left button
TICKS_PER_SECOND = 100
TICKS_PER_COLUMN = 10  # the graph's sweep moves one pixel column every ten ticks
GRAPH_PIXELS_PER_SECOND = TICKS_PER_SECOND / TICKS_PER_COLUMN
# Between two ticks the program sleeps: a share of one core well below this, in a build
# with the sanitizers too, or it is spinning.
CPU_SHARE_LIMIT = 0.5

failures = []


STARTED = time.monotonic()


def expect(condition, message):
    stamp = f"{time.monotonic() - STARTED:5.1f}s"
    print(("ok   " if condition else "FAIL ") + stamp + " " + message, flush=True)
    if not condition:
        failures.append(message)
    return condition


def is_plant(c):
    return c[0] == 0 and c[2] == 0 and 52 <= c[1] <= 250


def is_black(c):
    return c == (0, 0, 0)


def luminance(c):
    return sum(c) / 3


class Window:
    def __init__(self, display, wid):
        self.display = display
        self.id = wid
        g = display.geometry(wid)
        self.x, self.y = g["x"], g["y"]

    def shot(self):
        """A screenshot and a monotonic time no earlier than the grab of its pixels."""
        return self.display.screenshot()

    def pixel(self, image, wx, wy):
        return image.at(self.x + wx, self.y + wy)

    def space(self, image, x, y):
        return self.pixel(image, SPACE[0] + x, SPACE[1] + y)

    def move_to_space(self, x, y):
        return ["mousemove", self.x + SPACE[0] + x, self.y + SPACE[1] + y]


def clear_spot(win, image, radius, taken):
    """A world pixel with nothing drawn within `radius`, away from spots already used."""
    for y in range(50, SPACE[3] - 50, 16):
        for x in range(50, SPACE[2] - 50, 16):
            if any(abs(x - tx) < 80 and abs(y - ty) < 80 for tx, ty in taken):
                continue
            if all(is_black(win.space(image, x + dx, y + dy))
                   for dy in range(-radius, radius + 1) for dx in range(-radius, radius + 1)):
                return x, y
    raise RuntimeError("the world has no clear spot to click")


def found_near(win, image, spot, radius, match):
    x0, y0 = spot
    return [(x, y) for y in range(max(0, y0 - radius), min(SPACE[3], y0 + radius + 1))
            for x in range(max(0, x0 - radius), min(SPACE[2], x0 + radius + 1))
            if match(win.space(image, x, y))]


def graph_columns_drawn(win, image):
    return [any(not is_black(win.pixel(image, GRAPH[0] + x, GRAPH[1] + y))
                for y in range(GRAPH[3])) for x in range(GRAPH[2])]


def sweep_position(win, image):
    """The graph's newest column: the last drawn one with the blank eraser column after it."""
    drawn = graph_columns_drawn(win, image)
    ends = [x for x in range(GRAPH[2] - 1) if drawn[x] and not drawn[x + 1]]
    return ends[-1] if ends else None


class SweepClock:
    """Counts ticks as a person watching the graph would: from how far its sweep moved
    between screenshots. A whole sweep is 496 columns, about 50 s, so screenshots a few
    seconds apart are never ambiguous; those that do not show the window (hidden, or not
    yet painted) are passed over."""

    def __init__(self, win):
        self.win = win
        self.first = self.last = None  # (column, time taken)
        self.columns = 0

    def see(self, image, taken):
        if self.win.pixel(image, *FACE_AT) != FACE or self.win.pixel(image, 8, 448) != SHADOW:
            return
        column = sweep_position(self.win, image)
        if column is None:
            return
        if self.last is None:
            self.first = (column, taken)
        else:
            self.columns += (column - self.last[0]) % GRAPH[2]
        self.last = (column, taken)

    def look(self, min_gap=0.0):
        """Takes a screenshot to see, unless the last sighting is less than min_gap ago. A grab
        can fail while the window is being mapped or unmapped (BadMatch): that moment is
        passed over."""
        if self.last is None or time.monotonic() - self.last[1] >= min_gap:
            try:
                self.see(*self.win.shot())
            except subprocess.CalledProcessError:
                pass

    def seconds(self):
        return 0.0 if self.last is None else self.last[1] - self.first[1]

    def rate(self):
        """Ticks per second from the first sighting to the last, None before two."""
        seconds = self.seconds()
        return TICKS_PER_COLUMN * self.columns / seconds if seconds > 0 else None


def check_rate_over_life(clock):
    rate = clock.rate()
    if expect(rate is not None and clock.seconds() >= 5,
              f"the graph's sweep was seen over {clock.seconds():.1f} s of its life"):
        # One column either way at each end of the span.
        slack = 2 * TICKS_PER_COLUMN / clock.seconds()
        expect(80 <= rate <= TICKS_PER_SECOND + slack,
               f"{rate:.1f} ticks per second over its life, from the sweep's "
               f"{clock.columns} columns")


class Program:
    """The program under test on the display: the Linux build as it is, or the Windows
    build under Wine in a private prefix."""

    def __init__(self, path, display, wine=False):
        self.prefix = wine_prefix.WinePrefix(display.env) if wine else None
        if wine:
            self.proc = subprocess.Popen(self.prefix.command(path), env=self.prefix.env)
        else:
            self.proc = subprocess.Popen([path], env=display.env)
        # Wine starts a program in a fresh prefix in seconds, not milliseconds, and takes in a
        # flood of X input in one long go during which no tick runs.
        self.start_timeout = 60.0 if wine else 10.0
        self.flood_settle = 3.0 if wine else 0.0

    def wait(self, timeout):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def close(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        if self.prefix is not None:
            self.prefix.close()


def cpu_share(proc, seconds_from, cpu_from):
    return (xsession.cpu_seconds(proc.pid) - cpu_from) / (time.monotonic() - seconds_from)


def check_layout(win, image, when):
    face = win.pixel(image, *FACE_AT)
    expect(face[0] == face[1] == face[2] and face[0] >= 190,
           f"{when}: the window face is light grey {face}")
    for name, (left, top, width, height) in (("space", SPACE), ("graph", GRAPH)):
        ol, ot, orr, ob = left - 2, top - 2, left + width + 1, top + height + 1
        mid_x, mid_y = (ol + orr) // 2, (ot + ob) // 2
        top_left = [win.pixel(image, mid_x, ot), win.pixel(image, ol, mid_y),
                    win.pixel(image, mid_x, ot + 1), win.pixel(image, ol + 1, mid_y)]
        bottom_right = [win.pixel(image, mid_x, ob), win.pixel(image, orr, mid_y),
                        win.pixel(image, mid_x, ob - 1), win.pixel(image, orr - 1, mid_y)]
        expect(all(0 < luminance(c) < luminance(face) - 40 for c in top_left)
               and all(luminance(c) > luminance(face) - 20 for c in bottom_right),
               f"{when}: {name} has a sunken edge (top/left {top_left}, "
               f"bottom/right {bottom_right})")
        expect(win.pixel(image, ol - 1, mid_y) == face and win.pixel(image, orr + 1, mid_y) == face,
               f"{when}: {name}'s edge is 2 pixels wide, on the face")


def face_shown(win, image):
    """zlib's CRC-32 of the client area's red, green and blue bytes, row by row."""
    rows = []
    for y in range(win.y, win.y + 529):
        start = 3 * (y * image.width + win.x)
        rows.append(image.pixels[start:start + 3 * 516])
    return f"{zlib.crc32(b''.join(rows)):08x}"


def check_face_is_the_worlds(face_at, win, image, most_ticks):
    """The client area is, pixel for pixel, the face every front end paints of the window's
    world after some number of ticks no more than `most_ticks`."""
    faces = subprocess.run([face_at, "0", str(most_ticks)], capture_output=True, text=True,
                           check=True, timeout=60).stdout.split()
    shown = face_shown(win, image)
    ticks = [int(n) for n, crc in zip(faces[::2], faces[1::2]) if crc == shown]
    expect(bool(ticks), f"the client area is the face of the world after {ticks[:1] or '?'} "
                        f"ticks (of 0..{most_ticks}), pixel for pixel")


def click_test(win, taken, button, what, match, reach):
    """Clicks where nothing is near and looks, a few ticks later, for what should be new.
    match None: nothing of any kind may appear."""
    image, _ = win.shot()
    spot = clear_spot(win, image, 30, taken)
    taken.append(spot)
    win.display.xdotool(*win.move_to_space(*spot), "click", button)
    clicked = time.monotonic()
    if match is None:
        time.sleep(0.1)  # a newcomer shows at the next tick, so give it a few
    look_for = match or (lambda c: c == ANIMAL or is_plant(c))
    for _ in range(4):
        image, grabbed = win.shot()
        ticks = TICKS_PER_SECOND * (grabbed - clicked)
        radius = reach(ticks)
        hits = found_near(win, image, spot, radius, look_for)
        if hits or match is None:
            break
    seen = f"after about {ticks:.0f} ticks within {radius} px: {hits[:3]}"
    if match is None:
        expect(not hits, f"button {button} at world {spot}: nothing new {seen}")
    else:
        expect(bool(hits), f"button {button} at world {spot}: {what} {seen}")


def animal_reach(ticks):
    """How far a newcomer animal gets: 0.3 px a tick, with room for a late screenshot."""
    return int(3 + NEWCOMER_SPEED * ticks * 1.5)


def plant_reach(ticks):
    """A plant steps -1, 0 or 1 each tick on each axis: four standard deviations of that."""
    return int(3 + 4 * math.sqrt(2 / 3 * ticks))


def rapid_clicks(win, count):
    """count clicks of every kind over the whole window, some dragged off the world."""
    rng = random.Random(1000)
    args = []
    for i in range(count):
        button = rng.choice([1, 1, 2, 3, 3, 8])
        # Around the window, but on the screen: xdotool reads a negative number as an option.
        x = max(rng.randrange(-20, 540), -win.x)
        y = max(rng.randrange(-20, 550), -win.y)
        if i % 10 == 0:
            args += win.move_to_space(rng.randrange(496), rng.randrange(429))
            args += ["mousedown", button, "mousemove", win.x + x, win.y + y, "mouseup", button]
        else:
            # mousedown and mouseup: chained, xdotool's click waits between clicks
            args += ["mousemove", win.x + x, win.y + y, "mousedown", button, "mouseup", button]
    win.display.xdotool(*args)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine", action="store_true",
                        help="MORVANE is the Windows build: run it under Wine")
    parser.add_argument("morvane")
    parser.add_argument("wm_close")
    parser.add_argument("--face-at", help="the face_at tool: hold the client area to the face "
                        "of the window's world after the ticks it has run")
    args = parser.parse_args()
    missing = xsession.missing_tools() + (wine_prefix.missing_tools() if args.wine else [])
    if missing:
        print("missing tools: " + ", ".join(missing))
        return 1

    display = xsession.Display(800, 640)
    program = None
    try:
        program = Program(args.morvane, display, wine=args.wine)
        proc = program.proc
        started = time.monotonic()
        wid = display.find_window("morvane", proc, timeout=program.start_timeout)
        print(f"     window visible after {1000 * (time.monotonic() - started):.0f} ms")
        expect(display.xdotool("getwindowname", wid).strip() == "morvane", "caption is morvane")
        geometry = display.geometry(wid)
        expect((geometry["width"], geometry["height"]) == (516, 529),
               f"client area {geometry['width']}x{geometry['height']} is 516x529")
        hints = display.run("xprop", "-id", wid, "WM_NORMAL_HINTS", check=False)
        expect("minimum size: 516 by 529" in hints and "maximum size: 516 by 529" in hints,
               "the window cannot be resized")
        win = Window(display, wid)
        clock = SweepClock(win)

        time.sleep(0.3)  # its first paint
        image, taken = win.shot()
        clock.see(image, taken)
        check_layout(win, image, "at start")
        if args.face_at:
            # Its world began after `started`, and ticks at most 100 a second.
            check_face_is_the_worlds(args.face_at, win, image,
                                     int(TICKS_PER_SECOND * (taken - started)) + 20)

        # Early on, while the tables have room: the plant table fills within seconds.
        taken = []
        click_test(win, taken, 3, "a plant", is_plant, plant_reach)
        click_test(win, taken, 1, "an animal (255, 50, 0)", lambda c: c == ANIMAL, animal_reach)
        click_test(win, taken, 2, "nothing", None, animal_reach)

        image, first = win.shot()
        clock.see(image, first)
        sweep_from = sweep_position(win, image)
        cpu_from, cpu_since = xsession.cpu_seconds(proc.pid), time.monotonic()
        time.sleep(5)
        cpu = cpu_share(proc, cpu_since, cpu_from)
        image, second = win.shot()
        clock.see(image, second)
        sweep_to = sweep_position(win, image)
        expected = GRAPH_PIXELS_PER_SECOND * (second - first)
        if expect(sweep_from is not None and sweep_to is not None, "the graph sweep is found"):
            advance = (sweep_to - sweep_from) % GRAPH[2]
            expect(0.8 * expected - 2 <= advance <= expected + 2,
                   f"the sweep advanced {advance} px in {second - first:.1f} s "
                   f"(about {expected:.0f} expected)")
        expect(cpu < CPU_SHARE_LIMIT,
               f"meanwhile it used {100 * cpu:.1f} % of one core (/proc), sleeping between ticks")

        # Hidden, the world goes on; shown again, everything drawn meanwhile is there.
        display.xdotool("windowunmap", "--sync", wid)
        hidden = time.monotonic()
        time.sleep(2)
        display.xdotool("windowmap", "--sync", wid)
        shown = time.monotonic()
        time.sleep(0.3)
        image, taken = win.shot()
        clock.see(image, taken)
        check_layout(win, image, "shown again")
        sweep_back = sweep_position(win, image)
        if expect(sweep_back is not None, "the graph sweep is found after showing again"):
            advance = (sweep_back - sweep_to) % GRAPH[2]
            expected = GRAPH_PIXELS_PER_SECOND * (shown - hidden)
            expect(advance >= 0.8 * expected, f"while hidden the sweep went on {advance} px")
            drawn = graph_columns_drawn(win, image)
            gaps = [x for x in range(sweep_to, sweep_back + 1) if not drawn[x]]
            expect(not gaps, f"the graph drawn while hidden has no gaps {gaps[:5]}")

        rapid_clicks(win, 1000)
        time.sleep(program.flood_settle)
        image, first = win.shot()
        clock.see(image, first)
        sweep_from = sweep_position(win, image)
        time.sleep(2)
        image, second = win.shot()
        clock.see(image, second)
        sweep_to = sweep_position(win, image)
        expect(proc.poll() is None, "the program survives 1000 rapid clicks")
        if sweep_from is not None and sweep_to is not None:
            advance = (sweep_to - sweep_from) % GRAPH[2]
            expect(advance >= 0.8 * GRAPH_PIXELS_PER_SECOND * (second - first) - 2,
                   f"and keeps ticking: the sweep went on {advance} px in {second - first:.1f} s")
        else:
            expect(False, "the graph sweep is found after the clicks")
        check_rate_over_life(clock)

        display.run(args.wm_close, wid)
        status = program.wait(timeout=10)
        expect(status == 0, f"closing the window ends it with status {status}")
    finally:
        if program is not None:
            program.close()
        display.close()

    print(f"{len(failures)} failed" if failures else "all passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
