#!/usr/bin/env python3
"""Prints the ratios the project tracks from the JSON files of one benchmark run.

Each row sets an operation against its floor measured in the same run, so
that a reader need not compute them. Usage: bench-ratios.py DIR (the folder
of NAME_bench.json files that `make bench` writes).
"""
import json
import os
import sys

UNITS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}

# (what, operation, floor(s) summed, times the floor is taken, limit or None)
ROWS = [
    ("Import of 10,000 functions vs parse", "exchange:BM_DeserializeProcess/functions:10000/linked:0",
     ["exchange:BM_PugixmlParse/functions:10000/linked:0"], 1, 5.0),
    ("Import vs the store writing the same rows", "exchange:BM_DeserializeProcess/functions:10000/linked:0",
     ["exchange:BM_StoreWritesTheSameRows/functions:10000/linked:0"], 1, None),
    ("Export of 10,000 functions vs parse + save", "exchange:BM_SerializeProcess/functions:10000/linked:0",
     ["exchange:BM_PugixmlParse/functions:10000/linked:0", "exchange:BM_PugixmlSave/functions:10000/linked:0"], 1, 1.5),
    ("Export with linked cards vs parse + save", "exchange:BM_SerializeProcess/functions:10000/linked:1",
     ["exchange:BM_PugixmlParse/functions:10000/linked:1", "exchange:BM_PugixmlSave/functions:10000/linked:1"], 1, None),
    ("First write of 51,000 rows vs raw insert", "sqlite:BM_FirstWriteOfCard/10000/0",
     ["sqlite:BM_RawInsertOfTheSameRows/10000"], 1, 2.0),
    ("First write vs raw insert in the store's layout", "sqlite:BM_FirstWriteOfCard/10000/0",
     ["sqlite:BM_RawInsertIntoTheStoreLayout/10000"], 1, None),
    ("Open of 51,000 rows vs raw select", "sqlite:BM_OpenCard/10000/0", ["sqlite:BM_RawSelectOfTheSameRows/10000"], 1, 2.0),
    ("Row.GetField vs hash-map look-up", "store:BM_RowGetField", ["store:BM_HashMapGet"], 1, None),
    ("Row.SetField vs hash-map store", "store:BM_RowSetField", ["store:BM_HashMapSet"], 1, None),
    ("First Functions.Count vs 10,000 field reads", "graph:BM_FirstCountOf10000Functions",
     ["graph:BM_CaptionRawGetField"], 10000, None),
    ("Letting the 10,000 go vs 10,000 field reads", "graph:BM_ReleaseOf10000Functions",
     ["graph:BM_CaptionRawGetField"], 10000, None),
    ("Log reader vs the live list (100,000)", "library:BM_LogReaderReadAll/100000",
     ["library:BM_LogMessagesReadAll/100000"], 1, 1.0),
    ("Card activation vs open and count (template)", "card:BM_CardActivate/functions:10000/template:1",
     ["card:BM_OpenAndCountFunctions/functions:10000/template:1"], 1, None),
    ("Card activation vs open and count (instance)", "card:BM_CardActivate/functions:10000/template:0",
     ["card:BM_OpenAndCountFunctions/functions:10000/template:0"], 1, None),
    ("Conversion vs import (10,000)", "convert:BM_ConvertOldProcess/functions:10000",
     ["convert:BM_ImportOldProcess/functions:10000"], 1, None),
]


def load(folder):
    runs = {}
    for file in sorted(os.listdir(folder)):
        if not file.endswith("_bench.json"):
            continue
        with open(os.path.join(folder, file)) as f:
            data = json.load(f)
        suite = file[: -len("_bench.json")]
        for b in data.get("benchmarks", []):
            if b.get("run_type", "iteration") != "iteration" or "error_occurred" in b:
                continue
            # With repetitions, the least time of each: the run least
            # disturbed by the rest of the machine.
            key = suite + ":" + b["name"].split("/iterations:")[0].split("/repeats:")[0]
            if key not in runs or b["real_time"] < runs[key]["real_time"]:
                runs[key] = b
    return runs


def ms(b):
    return b["real_time"] * UNITS[b.get("time_unit", "ns")]


def shown(t):
    """A time in milliseconds, written in the unit that suits it."""
    if t >= 1:
        return "%.1f ms" % t
    if t >= 1e-3:
        return "%.1f us" % (t * 1e3)
    return "%.1f ns" % (t * 1e6)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: bench-ratios.py DIR")
    runs = load(sys.argv[1])
    print()
    print("%-48s %12s %12s %8s %7s" % ("operation against its floor (same run)", "operation", "floor", "ratio", "limit"))
    for what, op, floors, times, limit in ROWS:
        if op not in runs or any(f not in runs for f in floors):
            print("%-48s %12s" % (what, "not run"))
            continue
        a = ms(runs[op])
        b = sum(ms(runs[f]) for f in floors) * times
        mark = "" if limit is None else ("%6.1fx" % limit) + (" OVER" if a / b > limit else "")
        print("%-48s %12s %12s %7.2fx %s" % (what, shown(a), shown(b), a / b, mark))
    rate = runs.get("library:BM_LogReaderReadAll/100000")
    if rate and "items_per_second" in rate:
        print("%-48s %12.0f records/s" % ("Log reader over 100,000 messages", rate["items_per_second"]))


if __name__ == "__main__":
    main()
