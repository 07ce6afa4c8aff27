#!/usr/bin/env python3
"""Prints one table from the benchmark programs' JSON output: each case beside
its floor from the same run, their ratio, the budget and whether it is met.
The budgets live here, in the order of the table."""
import json
import re
import sys

MS = 1e-3

# case, what is measured, the benchmark and its value, the floor's value
# (time rows: the floor measured in turn with the case; memory rows of a load:
# the file's size; the program with a file in both windows: the file twice),
# the budget (a ratio; None for figures shown for comparison only), and a
# bound on the case's own time in seconds.
ROWS = [
    ("Load, 1 MB", "time", "load/1MB", "load/1MB:floor", 1.1, None),
    ("Load, 10 MB", "time", "load/10MB", "load/10MB:floor", 1.1, None),
    ("Load, 100 MB", "time", "load/100MB", "load/100MB:floor", 1.1, None),
    ("Save, 1 MB", "time", "save/1MB", "save/1MB:floor", 1.1, None),
    ("Save, 10 MB", "time", "save/10MB", "save/10MB:floor", 1.1, None),
    ("Save, 100 MB", "time", "save/100MB", "save/100MB:floor", 1.1, None),
    ("  beside writing in place, no sync, 1 MB", "time", "save/1MB", "save/1MB:in_place", None, None),
    ("  beside writing in place, no sync, 10 MB", "time", "save/10MB", "save/10MB:in_place", None, None),
    ("  beside writing in place, no sync, 100 MB", "time", "save/100MB", "save/100MB:in_place", None, None),
    ("memory held after loading 100 MB", "bytes", "memory/100MB:held", "memory/100MB:file", 1.5, None),
    ("peak memory during that load", "bytes", "memory/100MB:peak", "memory/100MB:file", 2.5, None),
    ("memorise, first record", "time", "memorise/first", "memorise/first:floor", 2.0, 1 * MS),
    ("memorise, middle record", "time", "memorise/middle", "memorise/middle:floor", 2.0, None),
    ("memorise, last record", "time", "memorise/last", "memorise/last:floor", 2.0, None),
    ("  as seven single steps, first record", "time", "memorise/first/steps", "memorise/first/steps:floor", None, None),
    ("  one std::rotate of a flat array, first", "time", "memorise/first/contiguous", "memorise/first/contiguous:floor", None, None),
    ("editor's add", "time", "add", "add:floor", 2.0, None),
    ("  as seven single inserts", "time", "add/steps", "add/steps:floor", None, None),
    ("start-up to the first paint, offscreen", "time", "startup/offscreen", "startup/offscreen:floor", 1.1, None),
    ("start-up to the first paint, Xvfb", "time", "startup/xcb", "startup/xcb:floor", 1.1, None),
    ("  editor and about box ready, offscreen", "time", "startup/offscreen:ready", "startup/offscreen:floor", None, None),
    ("  editor and about box ready, Xvfb", "time", "startup/xcb:ready", "startup/xcb:floor", None, None),
    ("start-up peak memory, offscreen", "bytes", "startup/offscreen:peak", "startup/offscreen:floor_peak", 1.5, None),
    ("start-up peak memory, Xvfb", "bytes", "startup/xcb:peak", "startup/xcb:floor_peak", 1.5, None),
    ("open 10 MB in the quiz window", "time", "open/10MB", "open/10MB:floor", 1.2, None),
    ("open a question of one 10 MB line", "time", "open/10MB-line", "open/10MB-line:floor", 1.5, None),
    # the sound's own length is the floor: at most 150 ms more for a sound of 0.45 s
    ("first answer's sound: press to return", "time", "first-sound", "first-sound:sound", 1.33, None),
    ("program, 100 MB open in both windows", "bytes", "both-windows/100MB:resident", "both-windows/100MB:files", None, None),
    ("record an answer, 1,000,000 logged", "time", "progress/record", "progress/record:floor", 2.5, 5 * MS),
    ("due list of a 10,000-question file", "time", "progress/due", "progress/due:floor", 1.5, 50 * MS),
    ("  opening that store", "time", "progress/open", "progress/open:floor", None, None),
    ("records window opens on that history", "time", "records/open", "records/open:floor", 3.0, 300 * MS),
    ("  its first opening, loading the charts' plug-in", "time", "records/open:first", "records/open:floor", None, None),
    # at least 50 MB/s: 100 MB in under 2 s
    ("CSV import, 100 MB Shift-JIS", "time", "csv/import/100MB", "csv/import/100MB:floor", 2.5, 2.0),
    ("CSV import, 100 MB UTF-8", "time", "csv/import/100MB-UTF-8", "csv/import/100MB-UTF-8:floor", 2.5, 2.0),
    ("CSV import, 100 MB, a bad byte at the end", "time", "csv/import/100MB-bad-byte-at-end",
     "csv/import/100MB-bad-byte-at-end:floor", 2.5, 2.0),
    ("CSV export, 100 MB", "time", "csv/export/100MB", "csv/export/100MB:floor", 2.5, 2.0),
    ("CSV import, 1,000,000 rows", "time", "csv/import/1M-rows", "csv/import/1M-rows:floor", None, None),
    ("CSV export, 1,000,000 rows", "time", "csv/export/1M-rows", "csv/export/1M-rows:floor", None, None),
]

SUFFIX = re.compile(r"^(iterations:\d+|repeats:\d+|min_time:[\d.]+|real_time|manual_time)$")
SECONDS = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def load(paths):
    """Each benchmark by its plain name: its median over the repetitions, or
    its only run."""
    found = {}
    for path in paths:
        with open(path) as f:
            for b in json.load(f)["benchmarks"]:
                name = "/".join(p for p in b["run_name"].split("/") if not SUFFIX.match(p))
                if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
                    continue
                if name not in found or b.get("aggregate_name") == "median":
                    found[name] = b
    return found


def value(found, ref):
    """A benchmark's time in seconds, or with ":counter" one of its counters."""
    name, _, counter = ref.partition(":")
    b = found.get(name)
    if b is None or b.get("error_occurred"):
        return None, (b or {}).get("error_message", "not run")
    if counter:
        return b[counter], None
    return b["real_time"] * SECONDS[b["time_unit"]], None


def show(x, what):
    if what == "time":
        for unit, scale in (("s", 1), ("ms", 1e-3), ("µs", 1e-6)):
            if x >= scale:
                return f"{x / scale:.3g} {unit}"
        return f"{x / 1e-9:.3g} ns"
    if what == "per_line":
        return f"{x:.1f} B/line"
    return f"{x / 2**20:.1f} MiB"


def ratio_text(ratio):
    return f"{ratio:.3f}" if ratio < 10 else f"{ratio:.0f}"


def main():
    smoke = "--smoke" in sys.argv
    found = load(a for a in sys.argv[1:] if a != "--smoke")
    header = ("case", "time", "floor", "ratio", "budget", "")
    lines, missed, failed = [], 0, 0
    for label, what, case, floor, budget, bound in ROWS:
        c, error = value(found, case)
        f, floor_error = value(found, floor)
        if error or floor_error:
            lines.append((label, "-", "-", "-", "-", f"error: {error or floor_error}"))
            failed += 1
            continue
        ratio = c / f
        if smoke:
            lines.append((label, show(c, what), show(f, what), ratio_text(ratio), "-", "ran"))
            continue
        if budget is None:
            lines.append((label, show(c, what), show(f, what), ratio_text(ratio), "-", "for comparison"))
            continue
        met = ratio <= budget and (bound is None or c < bound)
        missed += not met
        rule = f"≤ {budget:g}×" + (f", < {show(bound, what)}" if bound else "")
        lines.append((label, show(c, what), show(f, what), ratio_text(ratio), rule, "met" if met else "MISSED"))
    widths = [max(len(r[i]) for r in [header] + lines) for i in range(len(header))]
    for r in [header, tuple("-" * w for w in widths)] + lines:
        print("  ".join(cell.ljust(w) if i == 0 else cell.rjust(w) if i < 4 else cell.ljust(w)
                        for i, (cell, w) in enumerate(zip(r, widths))).rstrip())
    if smoke:
        print("(smoke run: small sizes, one iteration each; the figures measure nothing)")
        return 1 if failed else 0
    return 1 if missed or failed else 0


if __name__ == "__main__":
    sys.exit(main())
