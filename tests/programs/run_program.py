#!/usr/bin/env python3
"""Lifecycle tests at the program level: the runtime executable runs a test program library from
a folder of its own, and the case checks its exit code and what it logged.

  run_program.py --case NAME --runtime EXE --library-dir DIR --library-name prog.dll [--prog-xml FILE]
                 [--] [wrapper...]

The wrapper (for example the Wine runner and its arguments) goes in front of the runtime.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

SCREEN_SIZE_800x600 = 800 | (600 << 16)


def prog_xml(application='', variants='<node id="WINDOWS"/>'):
    return ('<?xml version="1.0"?>\n<root>\n<array id="PARAMETERS">\n<node id="APPLICATION" program_id="probe" name="Probe" '
            'developer="Tarnwick Tests" version="1.0" %s/>\n</array>\n<array id="VARIANTS">\n%s\n</array>\n'
            '</root>\n' % (application, variants))


DEVELOPER_XML = '<?xml version="1.0"?>\n<root>\n<array id="PARAMETERS">\n<node id="DEVELOPER" developer_mode="true"/>\n</array>\n</root>\n'
CONFIGURED = {"prog.xml": prog_xml('fps_limit="30" features="SHOW_FPS" store_url="application"',
                                   '<node id="WINDOWS" features="SHOW_INFO" store_url="variant"/>')}

# name: (library variant or None, command-line words, exit code, texts in this order, texts that must not
# appear[, files written beside the runtime instead of a plain prog.xml])
CASES = {
    "callback_order": ("probe", "frames=3", 0,
                       ["probe: event 16", "Initializing Program", "probe: init", "probe: update", "probe: render",
                        "probe: shutdown"], ["probe: update 0.000"]),
    "interface_1359": ("probe_v1359", "", 0,
                       ["incompatible ORVEL interface (1359 instead of 1360)"], ["probe: event 16", "probe: init"]),
    "get_interface_only": ("probe_getinterface", "frames=2", 0, ["probe: init", "probe: shutdown"], []),
    "missing_program": (None, "", 1, ["Could not locate Program library file."], []),
    "stall_clamped": ("probe", "stall frames=2", 0, ["probe: update", "probe: update 0.030"], []),
    "unbalanced_push": ("probe", "unbalanced frames=2", 0,
                        ["Too many Push(World)Transform calls made. Check your code.",
                         "Transform stack is not empty at frame end: there are 1 more ov->PushTransform calls"], [],
                        {"prog.xml": prog_xml(), "developer.xml": DEVELOPER_XML}),
    "reinit_events": ("probe", "reinit frames=3", 0,
                      ["probe: event 11 0", "probe: event 11 1", "probe: event 12 %d" % SCREEN_SIZE_800x600], [],
                      {"prog.xml": prog_xml('features="FREE_RESOLUTION"')}),
    "worker_events": ("probe", "worker frames=20", 0,
                      ["probe: event 100 1000", "probe: event 101 1010", "probe: event 102 1020",
                       "probe: event 103 1030", "probe: event 104 1040"], []),
    "files": ("probe", "files frames=1", 0, ["probe: read back 'saved'", "probe: found 2 prog."], []),
    "extensions": ("probe", "extensions Mandarin Chinese frames=1", 0,
                   ["probe: GetLanguage=mdr", "probe: PlatformId=WINDOWS", "probe: Features=SHOW_FPS,SHOW_INFO",
                    "probe: store_url=variant", "probe: id=probe title=Probe frame_time=31 SHOW_INFO=1"], [],
                   CONFIGURED),
    "missing_configuration": ("probe", "frames=1", 0,
                              ["Cannot find prog.xml. It should be located in res://.", "probe: shutdown"], [], {}),
    "sample": ("prog", "frames=3", 0,
               ["hello: init 'Hello ORVEL' 1.0.0", "at least 16 ms per frame", "hello: sprite loaded",
                "hello: 3 frames, quitting"], ["Unable to load bitmap", "too many times"]),
    "no_variant": ("probe", "frames=1", 255,
                   ["No build variant found for current platform id 'WINDOWS'."], ["probe: init"],
                   {"prog.xml": prog_xml(variants='<node id="MAC"/>')}),
}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--case", required=True, choices=sorted(CASES))
    parser.add_argument("--runtime", required=True)
    parser.add_argument("--library-dir", required=True)
    parser.add_argument("--library-name", required=True)
    parser.add_argument("--suffix", required=True)
    parser.add_argument("--prog-xml", help="a prog.xml to use instead of the case's files")
    parser.add_argument("wrapper", nargs="*")
    args = parser.parse_args()
    variant, words, expected_code, ordered, forbidden = CASES[args.case][:5]
    files = CASES[args.case][5] if len(CASES[args.case]) > 5 else {"prog.xml": prog_xml()}
    if args.prog_xml:
        with open(args.prog_xml) as source:
            files = {"prog.xml": source.read()}
        sprite = os.path.join(os.path.dirname(args.prog_xml), "sprite.png")
        if os.path.exists(sprite):
            with open(sprite, "rb") as source:
                files["sprite.png"] = source.read()

    work = tempfile.mkdtemp(prefix="orvel-program-")
    runtime = os.path.join(work, os.path.basename(args.runtime))
    shutil.copy2(args.runtime, runtime)
    if variant:
        shutil.copy2(os.path.join(args.library_dir, variant + args.suffix), os.path.join(work, args.library_name))
    for name, content in files.items():
        with open(os.path.join(work, name), "wb" if isinstance(content, bytes) else "w") as out:
            out.write(content)
    command = args.wrapper + [runtime, "-unattended", "-headless"] + words.split()
    result = subprocess.run(command, cwd=work, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
    output = result.stdout.decode("utf-8", "replace")
    failures = []
    if result.returncode != expected_code:
        failures.append("exit code %d, expected %d" % (result.returncode, expected_code))
    position = 0
    for text in ordered:
        found = output.find(text, position)
        if found < 0:
            failures.append("missing (in this order): %r" % text)
        else:
            position = found + len(text)
    for text in forbidden:
        if text in output:
            failures.append("must not appear: %r" % text)
    if args.case == "extensions" and args.library_name.endswith(".dll"):
        if "probe: renderer export answers one object" not in output:
            failures.append("ORVEL_RendImp_GetInterface is not exported or answers different objects")
        for text in ("probe: clipboard=orvel clip", "probe: path back=user://probe/x.txt", "probe: user name known",
                     "probe: SystemInfo=DEPRECATED", "probe: OS=Windows ", "probe: accounts Logout"):
            if text not in output:
                failures.append("Windows extension: missing %r" % text)
    if args.case == "callback_order":
        for text in ("probe: init", "probe: shutdown", "probe: event 16"):
            if output.count(text) != 1:
                failures.append("%r appears %d times, expected once" % (text, output.count(text)))
    if failures:
        print(output)
        for failure in failures:
            print("run_program: " + failure)
        return 1
    shutil.rmtree(work, ignore_errors=True)
    print("run_program: %s passed" % args.case)
    return 0


if __name__ == "__main__":
    sys.exit(main())
