#!/usr/bin/env python3
"""Runs a Windows program that draws frames and says what their pixels must be, and checks them
in screenshots of the X display. For each stage N the program writes the file "ready-N":

  <client x> <client y> <client width> <client height>     (screen position of the client area)
  <name> <x> <y> <r> <g> <b> <tolerance>                   (one line per expected pixel, client
  ...                                                       coordinates, colour bytes)

The checker looks (again, until the expectations hold or the settle time is up: presented frames
reach the X server a little late), writes "checked-N" and waits for the next stage or the end of
the program. The program ends with status 0 when all went well on its side.

  check_pixels.py -- <command...>
"""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "harness"))
from check_frame import screenshot  # noqa: E402


def read_stage(path):
    lines = [line.split() for line in open(path).read().splitlines() if line.strip()]
    origin = tuple(int(v) for v in lines[0])
    expected = [(f[0], int(f[1]), int(f[2]), (int(f[3]), int(f[4]), int(f[5])), int(f[6])) for f in lines[1:]]
    return origin, expected


def mismatches(origin, expected):
    width, height, pixel = screenshot()
    x0, y0 = origin[0], origin[1]
    wrong = []
    for name, x, y, colour, tolerance in expected:
        px, py = x0 + x, y0 + y
        if not (0 <= px < width and 0 <= py < height):
            wrong.append("%s: point %d,%d is off the screen" % (name, px, py))
            continue
        got = pixel(px, py)
        if any(abs(a - b) > tolerance for a, b in zip(got, colour)):
            wrong.append("%s at %d,%d: %02x%02x%02x, expected %02x%02x%02x (+-%d)" % (name, x, y, *got, *colour, tolerance))
    return wrong


def main():
    command = sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else sys.argv[1:]
    work = tempfile.mkdtemp(prefix="orvel-pixels-")
    program = subprocess.Popen(command, cwd=work)
    failures = []
    stage = 1
    deadline = time.time() + 120
    while True:
        ready = os.path.join(work, "ready-%d" % stage)
        if os.path.exists(ready):
            time.sleep(0.2)  # the file is complete once it has settled
            origin, expected = read_stage(ready)
            settle = time.time() + 20
            wrong = mismatches(origin, expected)
            while wrong and time.time() < settle:
                time.sleep(0.5)
                wrong = mismatches(origin, expected)
            failures += ["stage %d: %s" % (stage, w) for w in wrong]
            print("check_pixels: stage %d, %d points, %d wrong" % (stage, len(expected), len(wrong)))
            open(os.path.join(work, "checked-%d" % stage), "w").close()
            stage += 1
            deadline = time.time() + 120
            continue
        if program.poll() is not None:
            break
        if time.time() > deadline:
            program.kill()
            failures.append("no stage %d within 120 s" % stage)
            break
        time.sleep(0.1)
    status = program.wait()
    if status != 0:
        failures.append("the program exited with status %d" % status)
    if stage == 1:
        failures.append("the program showed no stage")
    for failure in failures:
        print("check_pixels: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
