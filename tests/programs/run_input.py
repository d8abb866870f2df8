#!/usr/bin/env python3
"""Input as a user gives it: ORVEL_D3D9.exe runs the probe program in its input mode under Wine
on the X display, and xdotool moves the mouse over its window, clicks, turns the wheel, types,
presses Alt+F4 (refused by the program the first time) and Alt+Enter (fullscreen and back). The
probe logs every event with the state of its key; the test checks them in order.

  run_input.py --runtime ORVEL_D3D9.exe --library probe.dll [--] wrapper...
  run_input.py --runtime ORVEL_D3D9.exe --sample prog.dll --prog-xml prog.xml [--] wrapper...

The second form runs the bundled sample with its own configuration instead: a click and the
Escape key, which ends it.
"""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

PROG_XML = """<?xml version="1.0"?>
<root>
<array id="PARAMETERS">
<node id="APPLICATION" program_id="probe-input" name="Probe Input" developer="Tarnwick Tests" version="1.0"/>
<node id="DEVELOPER" force_windowed="1"/>
</array>
<array id="VARIANTS">
<node id="WINDOWS" resolutions="640x480"/>
</array>
</root>
"""


class Runtime:
    def __init__(self, command, cwd):
        self.lines = []
        self.lock = threading.Lock()
        # A session of its own, so that a failed run takes the whole Wine process tree with it.
        self.process = subprocess.Popen(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                        start_new_session=True)
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for raw in self.process.stdout:
            with self.lock:
                self.lines.append(raw.decode("utf-8", "replace").rstrip())

    def wait_for(self, text, after=0, timeout=30):
        """The index of the first line from `after` on that holds text, or -1 after the time-out."""
        end = time.time() + timeout
        while time.time() < end:
            with self.lock:
                for i in range(after, len(self.lines)):
                    if text in self.lines[i]:
                        return i
            if self.process.poll() is not None and timeout > 0:
                time.sleep(0.2)
                with self.lock:
                    found = [i for i in range(after, len(self.lines)) if text in self.lines[i]]
                return found[0] if found else -1
            time.sleep(0.1)
        return -1


def xdotool(*arguments):
    return subprocess.run(["xdotool"] + [str(a) for a in arguments], stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, timeout=30).stdout.decode().strip()


def find_window(name):
    for _ in range(50):
        window = xdotool("search", "--name", "^%s$" % name).split("\n")[0]
        if window:
            return window
        time.sleep(0.2)
    return ""


def finish(run, failures, work):
    if run.process.poll() is None:
        try:
            os.killpg(run.process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        run.process.wait()
    if failures:
        with run.lock:
            print("\n".join(run.lines))
        for failure in failures:
            print("run_input: " + failure)
        return 1
    shutil.rmtree(work, ignore_errors=True)
    print("run_input: passed")
    return 0


def run_sample(args):
    work = tempfile.mkdtemp(prefix="orvel-sample-input-")
    runtime = os.path.join(work, os.path.basename(args.runtime))
    shutil.copy2(args.runtime, runtime)
    shutil.copy2(args.sample, os.path.join(work, "prog.dll"))
    shutil.copy2(args.prog_xml, os.path.join(work, "prog.xml"))
    sprite = os.path.join(os.path.dirname(args.prog_xml), "sprite.png")
    if os.path.exists(sprite):
        shutil.copy2(sprite, work)
    run = Runtime(args.wrapper + [runtime, "-unattended"], work)
    failures = []
    if run.wait_for("hello: init", 0, 90) < 0:
        failures.append("the sample did not start")
        return finish(run, failures, work)
    window = find_window("Hello ORVEL")
    if not window:
        failures.append("no window named 'Hello ORVEL'")
        return finish(run, failures, work)
    xdotool("windowfocus", "--sync", window)
    xdotool("mousemove", "--window", window, 200, 100)
    xdotool("click", 1)
    if run.wait_for("hello: button 510 pressed at ", 0, 15) < 0:
        failures.append("the sample did not see the click")
    xdotool("key", "Escape")
    if run.wait_for("hello: key 27 pressed", 0, 15) < 0 or run.wait_for("frames, quitting", 0, 15) < 0:
        failures.append("Escape did not end the sample")
    try:
        if run.process.wait(timeout=60) != 0:
            failures.append("exit code %d, expected 0" % run.process.returncode)
    except subprocess.TimeoutExpired:
        failures.append("the sample did not end")
    return finish(run, failures, work)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runtime", required=True)
    parser.add_argument("--library")
    parser.add_argument("--sample")
    parser.add_argument("--prog-xml")
    parser.add_argument("wrapper", nargs="*")
    args = parser.parse_args()
    if args.sample:
        return run_sample(args)
    if not os.environ.get("DISPLAY") or not shutil.which("xdotool"):
        print("run_input: needs an X display (DISPLAY) and xdotool")
        return 1

    work = tempfile.mkdtemp(prefix="orvel-input-")
    runtime = os.path.join(work, os.path.basename(args.runtime))
    shutil.copy2(args.runtime, runtime)
    shutil.copy2(args.library, os.path.join(work, "prog.dll"))
    with open(os.path.join(work, "prog.xml"), "w") as out:
        out.write(PROG_XML)
    run = Runtime(args.wrapper + [runtime, "-unattended", "-headless", "input", "frames=100000000"], work)
    failures = []
    position = 0

    def expect(text, timeout=15):
        nonlocal position
        found = run.wait_for(text, position, timeout)
        if found < 0:
            failures.append("missing (in this order): %r" % text)
            return False
        position = found + 1
        return True

    try:
        if not expect("probe: init", 90):
            raise RuntimeError("the program did not start")
        window = find_window("Probe Input")
        if not window:
            raise RuntimeError("no window named 'Probe Input'")
        xdotool("windowfocus", "--sync", window)
        # The X window is the client area: window coordinates are program coordinates here.
        xdotool("mousemove", "--window", window, 100, 50)
        expect("probe: input 2 0 100 50 0")
        xdotool("mousemove", "--window", window, 130, 90)
        expect("probe: input 2 0 130 90 0")
        xdotool("click", 1)
        expect("probe: input 6 0 130 90 510 state 3")
        expect("probe: input 5 0 130 90 510 state 0")
        xdotool("click", 3)
        expect("probe: input 6 0 130 90 511 state 3")
        expect("probe: input 5 0 130 90 511 state 0")
        xdotool("click", 4)
        expect("probe: input 4 0 130 90 %d state 120" % (120 << 16))
        xdotool("click", 5)
        expect("probe: input 4 0 130 90 %d state 0" % -(120 << 16))
        xdotool("key", "a")
        expect("probe: input 8 65 1 0 0 state 3")
        expect("probe: input 1 97 0 0 0 state 0")
        expect("probe: input 9 65 1 0 0 state 0")
        xdotool("key", "Escape")
        expect("probe: input 8 27 1 0 0 state 3")

        xdotool("key", "alt+F4")
        expect("probe: close refused")
        time.sleep(1.0)
        if run.process.poll() is not None:
            failures.append("the runtime ended although the program refused the close")
        xdotool("mousemove", "--window", window, 10, 20)
        expect("probe: input 2 0 10 20 0")

        xdotool("key", "alt+Return")
        expect("Applying ReInit: 640x480 (w) -> 640x480 (fs)")
        expect("probe: screen 640x480 windowed 0")
        xdotool("windowfocus", "--sync", window)
        xdotool("key", "alt+Return")
        expect("Applying ReInit: 640x480 (fs) -> 640x480 (w)")
        expect("probe: screen 640x480 windowed 1")

        xdotool("windowfocus", "--sync", window)
        xdotool("key", "alt+F4")
        expect("probe: close accepted")
        expect("probe: shutdown", 30)
        try:
            code = run.process.wait(timeout=60)
            if code != 0:
                failures.append("exit code %d, expected 0" % code)
        except subprocess.TimeoutExpired:
            failures.append("the runtime did not end after the accepted close")
    except RuntimeError as problem:
        failures.append(str(problem))
    return finish(run, failures, work)


if __name__ == "__main__":
    sys.exit(main())
