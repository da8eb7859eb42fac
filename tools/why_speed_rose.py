#!/usr/bin/env python3
"""Adds up what moved a trait's mean, from morvane-lab's --selection-out files of single runs.

    tools/why_speed_rose.py [--trait speed|turn] [--until TICK] SELECTION.csv ...

Over every window (up to TICK, when given) that had a mean to follow, in every file, it sums
the change of the trait's mean and each part of it, and prints each part's total and its share
of the change. Windows with no mean to follow (no animal alive at one end, or the population
passing through empty) are counted and left out.
"""
import argparse
import csv
import sys

PARTS = ("selection", "mutation", "arrivals", "left", "exhausted", "paid")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--trait", choices=("speed", "turn"), default="speed")
    parser.add_argument("--until", type=int, default=None, help="the last tick to count")
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()

    totals = dict.fromkeys(("change",) + PARTS, 0.0)
    followed = gaps = 0
    for path in args.files:
        with open(path, newline="") as f:
            for row in csv.DictReader(f):
                if "selection" not in row:
                    sys.exit(f"{path}: not a --selection-out file of a single run")
                if row["trait"] != args.trait:
                    continue
                if args.until is not None and int(row["tick"]) > args.until:
                    continue
                if row["change"] == "":
                    gaps += 1
                    continue
                followed += 1
                for name in totals:
                    totals[name] += float(row[name])

    print(f"{args.trait}, {len(args.files)} run(s): {followed} windows followed, "
          f"{gaps} without a mean to follow")
    print(f"  change     {totals['change']:+10.4f}")
    for name in PARTS:
        share = totals[name] / totals["change"] if totals["change"] else float("nan")
        print(f"  {name:<10} {totals[name]:+10.4f}   {share:+6.0%} of the change")


if __name__ == "__main__":
    main()
