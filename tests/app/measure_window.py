#!/usr/bin/env python3
"""Measures the real morvane window on a private Xvfb display: time to a visible window,
ticks per second (from the graph's sweep, as a person watching it sees them), CPU use and
peak memory. Not a test; it prints figures.

usage: measure_window.py [--wine] MORVANE WM_CLOSE [--seconds N] [--clicks N]
                         [--screenshot FILE.png --at S]
With --wine, MORVANE is the Windows build, run under Wine in a private prefix; the CPU time of
that prefix's wineserver, which carries every message the program posts, is shown too.
"""

import argparse
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from e2e_window_test import Program, SweepClock, Window  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine", action="store_true",
                        help="MORVANE is the Windows build: run it under Wine")
    parser.add_argument("morvane")
    parser.add_argument("wm_close")
    parser.add_argument("--seconds", type=float, default=30.0,
                        help="how long to measure, after one second of warm-up")
    parser.add_argument("--clicks", type=int, default=0,
                        help="first put down N animals (left) and N plants (right) at spots "
                             "spread over the world")
    parser.add_argument("--screenshot", help="write the window as a PNG here")
    parser.add_argument("--at", type=float, default=20.0, help="seconds after start")
    args = parser.parse_args()

    display = xsession.Display()
    program = None
    try:
        program = Program(args.morvane, display, wine=args.wine)
        proc = program.proc
        started = time.monotonic()
        window = display.find_window("morvane", proc, timeout=program.start_timeout)
        print(f"time to a visible window: {1000 * (time.monotonic() - started):.0f} ms")
        geometry = display.geometry(window)
        win = Window(display, window)
        clock = SweepClock(win)

        time.sleep(max(0.0, started + 1.0 - time.monotonic()))
        for i in range(args.clicks):
            x, y = 60 + (i * 97) % 380, 60 + (i * 61) % 310
            display.xdotool(*win.move_to_space(x, y), "click", 1,
                            *win.move_to_space(x + 30, y + 40), "click", 3)
        others = {"Xvfb": display.proc.pid}
        if program.prefix is not None and program.prefix.server_pid() is not None:
            others["wineserver"] = program.prefix.server_pid()
        cpu_from = {name: xsession.cpu_seconds(pid) for name, pid in others.items()}
        cpu_from["program"], wall_from = xsession.cpu_seconds(proc.pid), time.monotonic()
        clock.look()
        shot_due = started + args.at if args.screenshot else None
        end = wall_from + args.seconds
        while time.monotonic() < end:
            if shot_due is not None and time.monotonic() >= shot_due:
                grab = subprocess.run(["xwd", "-root", "-silent"], env=display.env,
                                      capture_output=True, check=True)
                crop = f"{geometry['width']}x{geometry['height']}+{geometry['x']}+{geometry['y']}"
                subprocess.run(["convert", "xwd:-", "-crop", crop, "+repage", args.screenshot],
                               input=grab.stdout, check=True)
                shot_due = None
            clock.look(min_gap=2.0)
            time.sleep(0.05)
        cpu = xsession.cpu_seconds(proc.pid) - cpu_from["program"]
        wall = time.monotonic() - wall_from
        clock.look()
        print(f"CPU: {cpu:.2f} s over {wall:.1f} s = {100 * cpu / wall:.2f} % of one core")
        for name, pid in others.items():
            used = xsession.cpu_seconds(pid) - cpu_from[name]
            print(f"  {name}'s CPU meanwhile: {used:.2f} s = {100 * used / wall:.2f} % of one core")
        print(f"peak memory (VmHWM): {xsession.status_kb(proc.pid, 'VmHWM') / 1024:.1f} MB")
        if clock.rate() is not None:
            print(f"ticks per second: {clock.rate():.2f} (the sweep went {clock.columns} columns "
                  f"in {clock.seconds():.1f} s)")
        else:
            print("ticks per second: the graph's sweep was not seen twice")

        subprocess.run([args.wm_close, window], env=display.env, check=True)
        print(f"exit status: {program.wait(timeout=10)}")
    finally:
        if program is not None:
            program.close()
        display.close()


if __name__ == "__main__":
    main()
