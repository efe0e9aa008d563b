#!/usr/bin/env python3
"""Turns bench_title's JSON output into the Markdown tables of docs/benchmarks.md.

usage: report.py results.json
"""
import json
import sys
from collections import defaultdict

rows = defaultdict(dict)  # (operation, size, class) -> engine -> counters
other = []
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name") != "median":
        continue
    name = b["run_name"]
    parts = name.split("/")
    if parts[0] == "Compile":
        other.append(b)
        continue
    op, engine, size = parts[0], parts[1], parts[2]
    extra = parts[3] if len(parts) > 3 and not parts[3].startswith("iterations") else ""
    rows[(op, int(size), extra)][engine] = b

def us(b, key):
    if key in b:
        return b[key]
    return b["real_time"] if b.get("time_unit") == "us" else b["real_time"] / 1000.0

print("| Operation | Keywords | Ours p50 µs | Ours p99 µs | Peer | Peer p50 µs | Peer p99 µs | Peer / ours (p50) |")
print("|---|---|---|---|---|---|---|---|")
for (op, size, extra) in sorted(rows, key=lambda k: (k[0], k[2], k[1])):
    e = rows[(op, size, extra)]
    ours = e.get("Ours")
    peer_name = next((k for k in e if k != "Ours"), None)
    peer = e.get(peer_name) if peer_name else None
    label = op
    if op in ("Wildcard", "WildcardFirst"):
        label += " ~%s matches" % extra
    if op == "Open":
        label += " cold" if extra == "1" else " warm"
    o50, o99 = us(ours, "p50_us"), us(ours, "p99_us")
    if peer:
        p50, p99 = us(peer, "p50_us"), us(peer, "p99_us")
        print("| %s | %dM | %.3g | %.3g | %s | %.3g | %.3g | %.1f× |" % (label, size, o50, o99, peer_name, p50, p99, p50 / o50))
    else:
        print("| %s | %dM | %.3g | %.3g | | | | |" % (label, size, o50, o99))

print()
print("Growth from 1M to 10M (ours, p50):")
print()
for (op, size, extra) in sorted(rows):
    if size != 1 or (op, 10, extra) not in rows:
        continue
    a, b = rows[(op, 1, extra)]["Ours"], rows[(op, 10, extra)]["Ours"]
    print("- %s%s: %.2f×" % (op, " " + extra if extra else "", us(b, "p50_us") / us(a, "p50_us")))
if any(size == 30 for (_, size, _) in rows):
    print()
    print("30M against 10M (ours, p50):")
    print()
    for (op, size, extra) in sorted(rows):
        if size != 10 or (op, 30, extra) not in rows:
            continue
        a, b = rows[(op, 10, extra)]["Ours"], rows[(op, 30, extra)]["Ours"]
        print("- %s%s: %.2f×" % (op, " " + extra if extra else "", us(b, "p50_us") / us(a, "p50_us")))
print()
for b in other:
    keys = {k: v for k, v in b.items() if k in ("tracks", "tracks_per_s", "bytes_per_track", "bytes_per_keyword", "peak_MiB", "keywords_per_s")}
    print("- %s: %.1f s; %s" % (b["run_name"], b["real_time"] / 1000.0, ", ".join("%s %.4g" % kv for kv in keys.items())))
