#!/usr/bin/env python3
"""The Windows build's world is the Linux build's, bit for bit: the same seeded world with the
same mouse releases, run by the Windows build under Wine (world_run.exe) and by the Linux
build's morvane-lab, hashes the same after 1, 10, 100, ... ticks and at the end.

usage: world_hash_test.py WORLD_RUN_EXE MORVANE_LAB
"""

import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import wine_prefix  # noqa: E402

# (seed, ticks, releases after n ticks): the window's own start (seed 42) with clicks of every
# button, one of them off the world, and a second seed left to itself.
RUNS = [
    (42, 1_000_000, [(0, "left", 100, 200), (0, "right", 50, 60), (37, "middle", 10, 10),
                 (500, "left", 248, 214.5), (500, "right", -3, 12), (4321, "left", 400.25, 9)]),
    (7, 1_000_000, []),
]

failures = []


def expect(condition, message):
    print(("ok   " if condition else "FAIL ") + message, flush=True)
    if not condition:
        failures.append(message)
    return condition


def windows_hashes(prefix, world_run, seed, ticks, releases):
    args = [str(seed), str(ticks)]
    for n, button, x, y in releases:
        args += [str(n), button, str(x), str(y)]
    out = prefix.call(*prefix.command(world_run, *args), timeout=300)
    return {int(t): h.lower() for t, h in (line.split() for line in out.splitlines())}


def linux_hash(lab, seed, ticks, events):
    done = subprocess.run([lab, "--seed", str(seed), "--ticks", str(ticks), "--events", events,
                           "--hash", "--quiet"], capture_output=True, text=True, timeout=300)
    if done.returncode != 0:
        raise RuntimeError(f"morvane-lab failed: {done.stderr.strip()}")
    return done.stdout.strip().lower()


def main():
    world_run, lab = sys.argv[1], sys.argv[2]
    if not os.access(lab, os.X_OK):
        print(f"no morvane-lab at {lab}: build the native Release build first "
              "(MORVANE_NATIVE_BUILD names it)")
        return 1
    missing = wine_prefix.missing_tools()
    if missing:
        print("missing tools: " + ", ".join(missing))
        return 1

    # A console program: Wine need not reach any desktop to set up the prefix.
    prefix = wine_prefix.WinePrefix({k: v for k, v in os.environ.items() if k != "DISPLAY"})
    try:
        with tempfile.TemporaryDirectory() as folder:
            for seed, ticks, releases in RUNS:
                events = os.path.join(folder, f"events-{seed}.txt")
                with open(events, "w") as out:
                    out.writelines(f"{n} {button} {x} {y}\n" for n, button, x, y in releases)
                windows = windows_hashes(prefix, world_run, seed, ticks, releases)
                reports = sorted({10**k for k in range(len(str(ticks))) if 10**k <= ticks} | {ticks})
                expect(sorted(windows) == reports,
                       f"seed {seed}: the Windows build reports after {sorted(windows)} ticks")
                for t, hashed in sorted(windows.items()):
                    linux = linux_hash(lab, seed, t, events)
                    if not expect(hashed == linux, f"seed {seed}, {len(releases)} releases, "
                                  f"{t} ticks: Windows {hashed}, Linux {linux}"):
                        break  # a world that differs once differs from then on
    finally:
        prefix.close()

    print(f"{len(failures)} failed" if failures else "all passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
