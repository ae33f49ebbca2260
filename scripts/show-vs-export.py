#!/usr/bin/env python3
"""Times `vorlane show` of a large template against `vorlane export` of the
same template, in one run on one store: the export is the floor (it reads
every row of the card once), so the ratio says what show costs beyond
reading the process.

    scripts/show-vs-export.py build/bin/vorlane 10000 100000
"""
import os
import subprocess
import sys
import tempfile
import time

START = "{2E0A9AAF-CC20-46CD-875E-F3987718C551}"
TASK = "{2B262D6F-6195-44DE-A0CC-A60129BBCF99}"


def process_xml(n):
    node = "{%08X-0000-4000-8000-%012X}"
    lines = ['<?xml version="1.0"?>', "<Data>",
             '<Process CardID="{0E0E0E0E-0000-4000-8000-000000000000}" '
             'CardTypeID="{AE82DD57-348C-4407-A50A-9F2C7D694DA8}" Template="1">',
             '<MainInfo RowID="{0F0F0F0F-0000-4000-8000-000000000000}" Name="Large" Version="4.1" '
             'BuildNumber="1316" Template="1"><DocTypes /></MainInfo>', "<Functions>"]
    for i in range(n):
        lines.append(f'<FunctionsRow RowID="{node % (i, 1)}" ID="{node % (i, 2)}" Caption="Step {i}" '
                     f'TypeID="{START if i == 0 else TASK}" UseSparedData="0" ReuseStep="1"><PassStates /></FunctionsRow>')
    lines.append("</Functions><Gates /><Links>")
    for i in range(1, n):
        lines.append(f'<LinksRow RowID="{node % (i, 3)}" ID="{node % (i, 4)}" Source="{node % (i - 1, 2)}" '
                     f'Destination="{node % (i, 2)}" LinkType="0" Disabled="0" Style="0" />')
    lines.append("</Links><Variables /><LogMessages /></Process></Data>")
    return "\n".join(lines)


def timed(cmd):
    began = time.perf_counter()
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - began


def main():
    tool, sizes = sys.argv[1], [int(a) for a in sys.argv[2:]] or [10000, 100000]
    with tempfile.TemporaryDirectory() as folder:
        for n in sizes:
            store = os.path.join(folder, f"s{n}.vorlane")
            source = os.path.join(folder, f"p{n}.xml")
            with open(source, "w", encoding="utf-8") as f:
                f.write(process_xml(n))
            base = [tool, "--store", store]
            subprocess.run(base + ["init"], check=True, stdout=subprocess.DEVNULL)
            made = subprocess.run(base + ["--json", "import", source], check=True, capture_output=True, text=True)
            pid = made.stdout.split('"id":"')[1].split('"')[0]
            out = os.path.join(folder, "out.xml")
            # Best of three each, alternating, so both see the same machine.
            export = min(timed(base + ["export", pid, out]) for _ in range(3))
            show = min(timed(base + ["show", pid]) for _ in range(3))
            print(f"{n} functions: export {export:.2f} s, show {show:.2f} s, show/export {show / export:.2f}")


if __name__ == "__main__":
    main()
