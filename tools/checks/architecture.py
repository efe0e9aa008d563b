#!/usr/bin/env python3
"""Checks the library table of docs/architecture.md against the kv_library lines of the
CMake files, so the note and the build cannot drift apart.

    architecture.py ROOT          exit 1 and say what differs
    architecture.py ROOT --print  print the table as the CMake files have it
"""
import pathlib
import re
import sys

EXTERNAL = {
    "SQLite::SQLite3": "SQLite",
    "CURL::libcurl": "libcurl",
    "Qt6Keychain::Qt6Keychain": "QtKeychain",
    "kv_resources": "resources",
}


def libraries(root):
    libs = {}
    for cmake in sorted((root / "src").rglob("CMakeLists.txt")):
        text = cmake.read_text()
        for m in re.finditer(r"kv_library\((\w+)\s+DEPS\s+([^)]*)\)", text):
            name, deps = m.group(1), m.group(2).split()
            uses, qt = [], []
            for d in deps:
                if d.startswith("Qt6::"):
                    qt.append(d[len("Qt6::"):])
                elif d in EXTERNAL:
                    uses.append(EXTERNAL[d])
                elif d.startswith("kv_"):
                    uses.append(d[len("kv_"):])
                else:
                    uses.append(d)
            folder = cmake.parent.relative_to(root).as_posix() + "/"
            libs[name] = (folder, uses, qt)
    return libs


def row(name, folder, uses, qt):
    return "| `%s` | `%s` | %s | %s |" % (
        name, folder, ", ".join(uses) or "—", ", ".join(qt) or "—")


def table_rows(note):
    rows = {}
    for line in note.splitlines():
        m = re.match(r"\| `(kv_\w+)` \| `([^`]*)` \| ([^|]*) \| ([^|]*) \|$", line)
        if m:
            uses = [u.strip() for u in m.group(3).split(",") if u.strip() not in ("", "—")]
            qt = [q.strip() for q in m.group(4).split(",") if q.strip() not in ("", "—")]
            rows[m.group(1)] = (m.group(2), uses, qt)
    return rows


def main():
    root = pathlib.Path(sys.argv[1])
    libs = libraries(root)
    if "--print" in sys.argv:
        for name, (folder, uses, qt) in libs.items():
            print(row(name, folder, uses, qt))
        return 0
    rows = table_rows((root / "docs" / "architecture.md").read_text())
    faults = []
    for name, (folder, uses, qt) in libs.items():
        if name not in rows:
            faults.append("%s is built but not in the note" % name)
            continue
        nfolder, nuses, nqt = rows[name]
        if nfolder != folder:
            faults.append("%s: the note says %s, the build %s" % (name, nfolder, folder))
        if sorted(nuses) != sorted(uses):
            faults.append("%s uses %s, the note says %s" % (name, sorted(uses), sorted(nuses)))
        if sorted(nqt) != sorted(qt):
            faults.append("%s links Qt %s, the note says %s" % (name, sorted(qt), sorted(nqt)))
    for name in rows:
        if name not in libs:
            faults.append("%s is in the note but not built" % name)
    if not libs:
        faults.append("no kv_library line found: the check checked nothing")
    for f in faults:
        print(f)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
