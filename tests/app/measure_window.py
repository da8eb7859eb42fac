#!/usr/bin/env python3
"""Measures the real morvane window on a private Xvfb display: time to a visible window,
ticks per second, CPU use and peak memory. Not a test; it prints figures.

usage: measure_window.py MORVANE WM_CLOSE [--seconds N] [--screenshot FILE.png --at S]
"""

import argparse
import os
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("morvane")
    parser.add_argument("wm_close")
    parser.add_argument("--seconds", type=float, default=30.0,
                        help="how long to measure CPU, after one second of warm-up")
    parser.add_argument("--screenshot", help="write the window as a PNG here")
    parser.add_argument("--at", type=float, default=20.0, help="seconds after start")
    args = parser.parse_args()

    display = xsession.Display()
    try:
        started = time.monotonic()
        proc = subprocess.Popen([args.morvane], env=dict(display.env, MORVANE_REPORT_TICKS="1"),
                                stdout=subprocess.PIPE, text=True)
        window = display.find_window("morvane", proc)
        print(f"time to a visible window: {1000 * (time.monotonic() - started):.0f} ms")
        geometry = display.geometry(window)

        time.sleep(max(0.0, started + 1.0 - time.monotonic()))
        cpu_from, wall_from = xsession.cpu_seconds(proc.pid), time.monotonic()
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
            time.sleep(0.05)
        cpu = xsession.cpu_seconds(proc.pid) - cpu_from
        wall = time.monotonic() - wall_from
        print(f"CPU: {cpu:.2f} s over {wall:.1f} s = {100 * cpu / wall:.2f} % of one core")
        print(f"peak memory (VmHWM): {xsession.status_kb(proc.pid, 'VmHWM') / 1024:.1f} MB")

        subprocess.run([args.wm_close, window], env=display.env, check=True)
        out, _ = proc.communicate(timeout=10)
        print(out.strip())
        m = re.search(r"(\d+) ticks in (\d+) ms", out)
        if m:
            print(f"ticks per second: {1000 * int(m.group(1)) / int(m.group(2)):.2f}")
        print(f"exit status: {proc.returncode}")
    finally:
        display.close()


if __name__ == "__main__":
    main()
