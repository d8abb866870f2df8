#!/usr/bin/env python3
"""Runs a Windows program that shows a frame, takes a screenshot of the X display once the
program reports its client rectangle in the file "ready", checks that the rectangle shows the
expected colour, then asks the program to stop (file "stop") and passes on its exit status.

  check_frame.py --colour rrggbb -- <command...>
"""
import argparse
import os
import struct
import subprocess
import sys
import tempfile
import time


def read_xwd(data):
    """Decodes a 24/32-bit TrueColor XWD dump into (width, height, pixel function)."""
    header = struct.unpack(">25I", data[:100])
    header_size, _, _, depth, width, height = header[:6]
    byte_order, bits_per_pixel, bytes_per_line = header[7], header[11], header[12]
    red_mask, green_mask, blue_mask = header[14:17]
    colormap_entries = header[19]
    if bits_per_pixel not in (24, 32):
        raise ValueError("unsupported XWD: %d bits per pixel" % bits_per_pixel)
    step = bits_per_pixel // 8
    pixels = header_size + colormap_entries * 12
    order = "<" if byte_order == 0 else ">"

    def shift(mask):
        return (mask & -mask).bit_length() - 1

    shifts = [shift(m) for m in (red_mask, green_mask, blue_mask)]

    def pixel(x, y):
        at = pixels + y * bytes_per_line + x * step
        value = int.from_bytes(data[at:at + step], "little" if order == "<" else "big")
        return tuple((value >> s) & 0xFF for s in shifts)

    return width, height, pixel


def screenshot():
    dump = subprocess.run(["xwd", "-root", "-silent"], check=True, stdout=subprocess.PIPE).stdout
    return read_xwd(dump)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--colour", required=True)
    parser.add_argument("--tolerance", type=int, default=3)
    parser.add_argument("--ready-timeout", type=float, default=90)
    parser.add_argument("--settle-timeout", type=float, default=20)
    parser.add_argument("command", nargs="+")
    args = parser.parse_args()
    expected = tuple(int(args.colour[i:i + 2], 16) for i in (0, 2, 4))

    work = tempfile.mkdtemp(prefix="orvel-frame-")
    program = subprocess.Popen(args.command, cwd=work)
    ready = os.path.join(work, "ready")
    deadline = time.time() + args.ready_timeout
    while not os.path.exists(ready):
        if program.poll() is not None:
            print("check_frame: the program ended (status %d) before showing a frame" % program.returncode)
            return 1
        if time.time() > deadline:
            program.kill()
            print("check_frame: no frame within %gs" % args.ready_timeout)
            return 1
        time.sleep(0.1)
    x, y, w, h = (int(v) for v in open(ready).read().split())

    def shows_expected(pixel, px, py):
        return all(abs(a - b) <= args.tolerance for a, b in zip(pixel(px, py), expected))

    # The presented frame reaches the X server a little after Present returns (seconds under an
    # emulated i386 Wine), so look again until the centre shows it or the time is up.
    failures = []
    pixel = None
    width = height = 0
    settle = time.time() + args.settle_timeout
    while True:
        try:
            width, height, pixel = screenshot()
        except (OSError, ValueError, subprocess.CalledProcessError) as error:
            failures.append("no screenshot: %s" % error)
            break
        centre = (x + w // 2, y + h // 2)
        inside = 0 <= centre[0] < width and 0 <= centre[1] < height
        if not inside or shows_expected(pixel, *centre) or time.time() > settle:
            break
        time.sleep(0.5)
    points = [(x + w // 2, y + h // 2), (x + 2, y + 2), (x + w - 3, y + 2), (x + 2, y + h - 3), (x + w - 3, y + h - 3)]
    for px, py in points if pixel else []:
        if not (0 <= px < width and 0 <= py < height):
            failures.append("point %d,%d is off the %dx%d screen" % (px, py, width, height))
            continue
        if not shows_expected(pixel, px, py):
            got = pixel(px, py)
            failures.append("pixel %d,%d is %02x%02x%02x, expected %s" % (px, py, *got, args.colour))
    if pixel and pixel(max(x - 20, 0), max(y - 20, 0)) == expected:
        failures.append("the colour also fills the screen outside the window")

    open(os.path.join(work, "stop"), "w").close()
    try:
        status = program.wait(timeout=60)
    except subprocess.TimeoutExpired:
        program.kill()
        failures.append("the program did not stop when asked")
        status = -1
    if status != 0:
        failures.append("the program exited with status %d" % status)
    for failure in failures:
        print("check_frame: " + failure)
    if not failures:
        print("check_frame: %d points of the %dx%d client area show %s" % (len(points), w, h, args.colour))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
