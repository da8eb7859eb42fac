#!/usr/bin/env python3
"""Writes the committed seed corpus of the world fuzz target, fuzz/corpus/world/.

usage: make_corpus.py [FOLDER]
Each seed is a script in the input format that world_fuzzer.cpp describes, chosen to start
the fuzzer where the world's rules have corners: full tables, the populated world, the
graph's wrap, far-off and non-finite coordinates, rounding ties, other buttons.
The events target's seeds are plain text files, written by hand.
"""

import os
import struct
import sys

FRESH, POPULATED, FULL = 0, 1, 2
SEEDED = 4
OTHER_RULES = 8  # the next 8 bytes (after the seed's) seed a draw of other rules
LEFT, RIGHT, MIDDLE = 0, 1, 2  # button bytes, low two bits


def ticks(n):
    """Records for n ticks, at most 256 a record."""
    out = b""
    while n > 0:
        step = min(n, 256)
        out += bytes([0, step - 1])
        n -= step
    return out


def release(button, x, y, shift=0):
    return bytes([1, button, shift]) + struct.pack("<ff", x, y)


def raw_release(button, x_bits, y_bits):
    return bytes([1, button, 0]) + struct.pack("<II", x_bits, y_bits)


def burst(button, count, x0, y0, dx, dy):
    return bytes([2, button, count - 1]) + struct.pack("<ffff", x0, y0, dx, dy)


def pixel(button, x, y):
    """A release at (x, y) given in 1/256 pixel."""
    return bytes([3, button]) + struct.pack("<ii", round(x * 256), round(y * 256))


NAN, INF = float("nan"), float("inf")

SEEDS = {
    "fresh-quiet": bytes([FRESH]) + ticks(500),
    "fresh-window-clicks": bytes([FRESH])
    + pixel(LEFT, 100, 200) + pixel(LEFT, 101, 200) + pixel(RIGHT, 50, 60)
    + ticks(300) + pixel(RIGHT, 248, 214.5) + pixel(LEFT, 495, 428) + ticks(200),
    "fill-both-tables": bytes([FRESH])
    + burst(LEFT, 256, 10.5, 20.25, 1.5, 1.25) + burst(RIGHT, 256, 0, 0, 1.9, 0.8)
    + burst(RIGHT, 256, 400, 10, -1.3, 1.6) + ticks(500),
    "full-tables": bytes([FULL]) + release(LEFT, 10, 10) + release(RIGHT, 10, 10) + ticks(400),
    "populated-sweep-wrap": bytes([POPULATED]) + pixel(LEFT, 248, 214) + ticks(60)
    + burst(RIGHT, 40, 0, 0, 12.4, 10.7) + ticks(300),
    "saturated-plants": bytes([FRESH])
    + release(RIGHT, 40000, 200) + release(RIGHT, -40000, 200) + release(RIGHT, 32767.5, 1)
    + release(RIGHT, 32766.5, -32768.5) + release(RIGHT, -32767.5, 3e38)
    + release(RIGHT, NAN, NAN) + release(RIGHT, INF, -INF) + release(RIGHT, 2.5, 3.5)
    + ticks(500),
    "non-finite-animals": bytes([FRESH])
    + release(LEFT, NAN, 100) + release(LEFT, 100, NAN) + release(LEFT, INF, 5)
    + release(LEFT, -INF, 5) + release(LEFT, -0.0, -0.0) + raw_release(LEFT, 0x7FA00000, 1)
    + raw_release(LEFT, 1, 0x80000001) + release(LEFT, 3e38, -3e38) + ticks(500),
    "seeded-mixed": bytes([FRESH | SEEDED]) + struct.pack("<Q", 0xDEADBEEF12345678)
    + pixel(LEFT, 1.5, 2.5) + pixel(RIGHT, -0.5, 429.5) + ticks(100)
    + burst(LEFT, 30, 480, 420, 1, 1) + ticks(300),
    "other-buttons": bytes([FRESH])
    + release(MIDDLE, 10, 10) + release(3 | (0xF8), 10, 10) + release(0x7F, 1, 1, shift=7)
    + release(0x83, 5, 5) + ticks(50),
    # One release at a NaN height and one tick: the steering's rough arc tangent once turned
    # such an animal, where its NaN bearing steers neither way.
    "nan-height-keeps-heading": bytes([FRESH]) + release(LEFT, 100, NAN) + ticks(1),
    # Other rules drawn across their ranges (the 8 bytes after the seed's seed them).
    "other-rules-fresh": bytes([FRESH | OTHER_RULES]) + struct.pack("<Q", 28)
    + burst(LEFT, 40, 200, 200, 0.25, 0.25) + burst(RIGHT, 60, 10, 10, 7.5, 6.5) + ticks(400),
    "other-rules-populated": bytes([POPULATED | SEEDED | OTHER_RULES])
    + struct.pack("<QQ", 7, 0x5EED0F0123456789) + pixel(LEFT, 248, 214) + ticks(300),
    "rounding-ties": bytes([FRESH])
    + b"".join(pixel(RIGHT, k + 0.5, 428 - k - 0.5) for k in range(-3, 40, 3))
    + ticks(100),
}


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "corpus", "world")
    os.makedirs(folder, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(folder, name), "wb") as seed:
            seed.write(data)
    print(f"{len(SEEDS)} seeds in {folder}")


if __name__ == "__main__":
    main()
