#!/usr/bin/env python3
"""Checks a compiled catalogue against the source folder it came from.

Releases drawn at random from releases.csv must each be found through every one of their
catalogue numbers on wheel 8, typed in lower case with dashes for the blanks (`prefix`
lands on the number, `topics` lists the release's recording), and that recording's page must
list the release and as many tracks as tracks.csv holds for it.

usage: verify_catalogue.py KORVANDA_TITLE SRC_DIR TITLE [COUNT] [SEED]
"""
import csv
import random
import re
import subprocess
import sys


def run(tool, *args):
    r = subprocess.run([tool, *args], capture_output=True, text=True)
    return r.returncode, r.stdout


def compact(number):
    return re.sub(r"[ \-./]", "", number).upper()


def sample_releases(path, count, seed):
    rng = random.Random(seed)
    chosen = []
    with open(path, newline="", encoding="utf-8") as f:
        rows = csv.reader(f)
        next(rows)
        for i, row in enumerate(rows):
            if len(chosen) < count:
                chosen.append(row)
            elif (j := rng.randrange(i + 1)) < count:
                chosen[j] = row
    return chosen


def track_counts(path, albums):
    counts = dict.fromkeys(albums, 0)
    with open(path, "rb") as f:
        next(f)
        for line in f:
            album = line[: line.index(b",")]
            if album in counts:
                counts[album] += 1
    return counts


def main():
    tool, src, title = sys.argv[1:4]
    count = int(sys.argv[4]) if len(sys.argv) > 4 else 40
    seed = int(sys.argv[5]) if len(sys.argv) > 5 else 1
    releases = sample_releases(f"{src}/releases.csv", count, seed)
    tracks = track_counts(f"{src}/tracks.csv", {r[0].encode() for r in releases})
    faults = 0
    for album, numbers, *_ in releases:
        ident = f"{int(album):08d}R|"
        for number in numbers.split(", "):
            key = compact(number)
            if not key or key.startswith("[R"):
                continue  # a release without a number has none in the wheel
            typed = number.lower().replace(" ", "-")
            rc, out = run(tool, "prefix", title, "8", typed)
            position = out.strip()
            rc2, kw = run(tool, "keywords", title, "8", position, "1")
            if rc or rc2 or kw.split("\t")[-1].strip() != key:
                print(f"FAULT {album} {number!r}: prefix {typed!r} gave {out.strip()!r} -> {kw.strip()!r}")
                faults += 1
                continue
            _, listed = run(tool, "topics", title, "8", key)
            page = None
            for line in listed.splitlines()[:500]:
                _, text = run(tool, "topic", title, line.split("\t")[0])
                if text.startswith(ident):
                    page = text
                    break
            if page is None:
                print(f"FAULT {album} {number!r}: its recording is not among the topics of {key}")
                faults += 1
                continue
            shown = len(re.findall(r"^\d+\.\t", page.split("\nTracks\n", 1)[-1], re.M))
            if "\nTracks\n" not in page:
                shown = 0
            if number not in page or shown != tracks[album.encode()]:
                print(f"FAULT {album} {number!r}: page lists {shown} tracks, tracks.csv {tracks[album.encode()]}")
                faults += 1
    print(f"{len(releases)} releases checked, {faults} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
