#!/usr/bin/env python3
"""Runs a Windows program that plays a sine and checks the sound the harness captured.

  check_sound.py --frequency HZ -- <command...>

The capture is a WAV file written by ALSA's file plugin: 48 kHz stereo whose samples are 32-bit
floats although the header says integer PCM.
"""
import argparse
import array
import math
import os
import subprocess
import sys
import tempfile


def read_capture(path):
    data = open(path, "rb").read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise ValueError("not a WAV file")
    offset = 12
    while offset + 8 <= len(data):
        chunk, size = data[offset:offset + 4], int.from_bytes(data[offset + 4:offset + 8], "little")
        if chunk == b"data":
            body = data[offset + 8:]
            samples = array.array("f")
            samples.frombytes(body[: len(body) // 8 * 8])
            return samples[0::2]  # left channel
        offset += 8 + size
    raise ValueError("no data chunk")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--frequency", type=float, required=True)
    parser.add_argument("command", nargs="+")
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="orvel-sound-")
    capture = os.path.join(work, "capture.wav")
    status = subprocess.call(args.command, cwd=work, env=dict(os.environ, ORVEL_SOUND_CAPTURE=capture))
    if status != 0:
        print("check_sound: the program exited with status %d" % status)
        return 1
    if not os.path.exists(capture):
        print("check_sound: nothing was captured")
        return 1
    left = read_capture(capture)
    loud = [i for i, v in enumerate(left) if abs(v) > 0.05]
    if len(loud) < 4800:
        print("check_sound: only %d audible samples in %d" % (len(loud), len(left)))
        return 1
    part = left[loud[0]:loud[-1] + 1]
    peak = max(abs(v) for v in part)
    rms = math.sqrt(sum(v * v for v in part) / len(part))
    crossings = sum(1 for a, b in zip(part, part[1:]) if a < 0 <= b)
    frequency = crossings * 48000.0 / len(part)
    print("check_sound: %.3f s audible, peak %.3f, rms %.3f, %.1f Hz" % (len(part) / 48000.0, peak, rms, frequency))
    failures = []
    if abs(frequency - args.frequency) > args.frequency * 0.02:
        failures.append("frequency %.1f Hz, expected %.1f" % (frequency, args.frequency))
    if not 0.4 < peak < 0.6 or abs(rms - peak / math.sqrt(2)) > 0.05:
        failures.append("level is not that of a half-amplitude sine")
    for failure in failures:
        print("check_sound: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
