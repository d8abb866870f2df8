#!/usr/bin/env python3
"""Checks orvel-pak end to end: create, list, verify and extract, and refusals of bad input.

  check_orvel_pak.py -- <command to run orvel-pak...>
"""
import os
import subprocess
import sys
import tempfile


def main():
    tool = sys.argv[sys.argv.index("--") + 1:]
    work = tempfile.mkdtemp(prefix="orvel-pak-")
    files = {
        "readme.txt": b"hello\n",
        "maps/level one.map": bytes(range(256)) * 40,
        "maps/deep/Two.MAP": b"",
        "gfx/a.png": b"\x89PNG" + b"x" * 5000,
    }
    for name, data in files.items():
        path = os.path.join(work, "data", name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        open(path, "wb").write(data)
    failures = []

    def run(*arguments):
        return subprocess.run(tool + list(arguments), cwd=work, stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def expect(condition, what):
        if not condition:
            failures.append(what)

    created = run("create", "data.pak", "data")
    expect(created.returncode == 0, "create failed: %s" % created.stderr.decode(errors="replace"))
    listed = run("list", "data.pak")
    expect(listed.returncode == 0, "list failed")
    entries = dict(line.split("\t") for line in listed.stdout.decode().splitlines() if line)
    expect(entries == {name: str(len(data)) for name, data in files.items()}, "list shows %r" % entries)
    expect(run("verify", "data.pak").returncode == 0, "verify refused a good archive")
    for name, data in files.items():
        extracted = run("extract", "data.pak", name)
        expect(extracted.returncode == 0 and extracted.stdout == data, "extract %s gave other bytes" % name)
    upper = run("extract", "data.pak", "GFX/A.PNG")  # entry names ignore letter case, as in the engine
    expect(upper.returncode == 0 and upper.stdout == files["gfx/a.png"], "extract ignoring case failed")
    missing = run("extract", "data.pak", "nope.txt")
    expect(missing.returncode == 1 and b"no entry" in missing.stderr, "a missing entry is not refused clearly")

    archive = open(os.path.join(work, "data.pak"), "rb").read()
    bad = {
        "truncated.pak": archive[:-3],
        "magic.pak": b"PAX" + archive[3:],
        # the last entry's size (after its offset, before the two unused values) made to run past the end
        "outside.pak": archive[:-12] + (0x7FFFFFFF).to_bytes(4, "little") + archive[-8:],
    }
    for name, data in bad.items():
        open(os.path.join(work, name), "wb").write(data)
        result = run("verify", name)
        expect(result.returncode == 1 and result.stderr, "verify accepted %s" % name)
    outside = run("verify", "outside.pak")
    expect(b"lies outside the file" in outside.stderr, "verify does not say the entry lies outside")
    expect(run("list", "no-such.pak").returncode == 1, "a missing archive is not refused")
    expect(run("frobnicate").returncode == 2, "bad arguments are not refused")
    expect(run("create", "x.pak", "no-such-folder").returncode == 1, "a missing folder is not refused")

    for failure in failures:
        print("check_orvel_pak: " + failure)
    if not failures:
        print("check_orvel_pak: %d entries created, listed, verified and extracted" % len(files))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
