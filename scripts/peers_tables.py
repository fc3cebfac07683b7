#!/usr/bin/env python3
"""The tables of docs/peers.md: every naming method on the corpus and on each peer's own cases,
in all and by family of edit, from the scenario command's JSON answer.

    scripts/peers_tables.py build/tools/tagtrack

prints the tables in Markdown. Right counts "right (lost)" (a reference rightly reported lost);
the median time is over the answers a method gave (not over failed ones), in microseconds."""
import collections
import glob
import json
import os
import statistics
import subprocess
import sys

SETS = [("corpus", "scenarios/*.json"),
        ("Open CASCADE's cases", "scenarios/peers/occt/*.json"),
        ("FreeCAD's cases", "scenarios/peers/freecad/*.json")]
COLUMNS = ["right", "wrong", "ambiguous", "lost", "failed"]


def results(command, pattern):
    files = sorted(glob.glob(pattern))
    run = subprocess.run([command, "scenario", "--method", "all", "--json"] + files,
                         capture_output=True, text=True, check=False)
    if not run.stdout.strip():
        sys.exit(f"{command} gave no answer for {pattern}: {run.stderr.strip()}")
    return json.loads(run.stdout)["results"], len(files)


def column(verdict):
    return "right" if verdict.startswith("right") else verdict


def table(rows, methods, title):
    out = [f"| {title} | " + " | ".join(COLUMNS) + " | median time |",
           "| --- " * (len(COLUMNS) + 2) + "|"]
    for m in methods:
        mine = [r for r in rows if r["method"] == m]
        counts = collections.Counter(column(r["verdict"]) for r in mine)
        times = [r["time_us"] for r in mine if r["verdict"] != "failed"]
        median = f"{statistics.median(times):.1f} µs" if times else "-"
        total = len(mine)
        cells = [f"{counts[c]} ({100.0 * counts[c] / total:.1f}%)" if c == "right" and total
                 else str(counts[c]) for c in COLUMNS]
        out.append(f"| {m} | " + " | ".join(cells) + f" | {median} |")
    return "\n".join(out)


def main():
    command = sys.argv[1] if len(sys.argv) > 1 else "build/tools/tagtrack"
    os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    for name, pattern in SETS:
        rows, files = results(command, pattern)
        methods = list(dict.fromkeys(r["method"] for r in rows))
        print(f"### {name}: {files} scenarios, {len(rows) // max(len(methods), 1)} answers per method\n")
        print(table(rows, methods, "method") + "\n")
        families = sorted({r["family"] for r in rows})
        print("By family of edit (right / wrong per method):\n")
        print("| family | answers | " + " | ".join(methods) + " |")
        print("| --- " * (len(methods) + 2) + "|")
        for f in families:
            mine = [r for r in rows if r["family"] == f]
            cells = []
            for m in methods:
                own = [r for r in mine if r["method"] == m]
                right = sum(1 for r in own if r["verdict"].startswith("right"))
                wrong = sum(1 for r in own if r["verdict"] == "wrong")
                cells.append(f"{right} / {wrong}")
            print(f"| {f} | {len(mine) // len(methods)} | " + " | ".join(cells) + " |")
        print()


if __name__ == "__main__":
    main()
