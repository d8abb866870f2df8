#!/usr/bin/env python3
"""Checks orvel-db end to end: dump (XML and CSV), check, scramble and unscramble.

  check_orvel_db.py -- <command to run orvel-db...>
"""
import os
import subprocess
import sys
import tempfile

HEADER = '<?xml version="1.0" encoding="iso-8859-1"?>\n'


def main():
    tool = sys.argv[sys.argv.index("--") + 1:]
    work = tempfile.mkdtemp(prefix="orvel-db-")
    failures = []

    def run(*arguments):
        return subprocess.run(tool + list(arguments), cwd=work, stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def expect(condition, what):
        if not condition:
            failures.append(what)

    def write(name, data):
        open(os.path.join(work, name), "wb").write(data if isinstance(data, bytes) else data.encode())

    write("levels.xml", HEADER + '<root>\n<array id="levels">\n<node id="a" n="1"/>\n<node id="b">text</node>\n'
                                 '</array>\n</root>\n')
    dumped = run("dump", "levels.xml")
    expected = (HEADER + '<root>\n\n\t<array id="levels">\n\t\t<node id="a" n="1" />\n'
                '\t\t<node id="b" >text</node>\n\t</array>\n</root>\n').encode()
    expect(dumped.returncode == 0 and dumped.stdout == expected, "dump of XML gave %r" % dumped.stdout)
    write("again.xml", dumped.stdout)
    expect(run("dump", "again.xml").stdout == expected, "dumping the dump changes it")

    write("table.csv", "a;b\n1;2\n3;4\n")
    csv = run("dump", "table.csv")
    expect(csv.returncode == 0 and b'<node a="1" b="2" />' in csv.stdout and b'<node a="3" b="4" />' in csv.stdout,
           "dump of CSV gave %r" % csv.stdout)

    expect(run("check", "levels.xml").returncode == 0, "check refused a good data base")
    write("broken.xml", HEADER + "<root><array id=\"a\"></array>stray text<array/></root>\n")
    broken = run("check", "broken.xml")
    expect(broken.returncode == 1 and b"DataManager: root/array/node structure violated." in broken.stderr,
           "check of a broken data base: %d %r" % (broken.returncode, broken.stderr))
    missing = run("check", "missing.xml")
    expect(missing.returncode == 1 and b"XML Array File 'res://missing.xml' not found!" in missing.stderr,
           "check of a missing file: %r" % missing.stderr)

    expect(run("scramble", "levels.xml", "levels.dat").returncode == 0, "scramble failed")
    scrambled = open(os.path.join(work, "levels.dat"), "rb").read()
    expect(scrambled.startswith(b"42KELP_CIPHER\0"), "the scrambled file lacks the magic")
    expect(run("dump", "levels.dat").stdout == expected, "a scrambled data base does not load the same")
    expect(run("unscramble", "levels.dat", "plain.xml").returncode == 0, "unscramble failed")
    expect(open(os.path.join(work, "plain.xml"), "rb").read() == open(os.path.join(work, "levels.xml"), "rb").read(),
           "unscramble does not give the original back")
    write("changed.dat", scrambled[:30] + bytes([scrambled[30] ^ 0x40]) + scrambled[31:])
    expect(run("unscramble", "changed.dat", "x.xml").returncode == 1, "a changed byte is not refused")
    expect(run("frobnicate").returncode == 2, "bad arguments are not refused")

    for failure in failures:
        print("check_orvel_db: " + failure)
    if not failures:
        print("check_orvel_db: dump, check, scramble and unscramble behave")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
