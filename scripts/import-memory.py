#!/usr/bin/env python3
"""Peak memory of importing and exporting a large process, against its file.

Writes a process document of N functions (each with settings, a pass state
and a link to the one before; a variable every tenth), imports it with the
tool into a new store file and exports it again, each in a process of its
own, and prints each one's peak resident memory as a multiple of the
document's size.

Usage: import-memory.py TOOL [--functions N] [--keep DIR]
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile
import uuid

TYPE_ID = "{2B262D6F-6195-44DE-A0CC-A60129BBCF99}"
PROCESS_TYPE = "{AE82DD57-348C-4407-A50A-9F2C7D694DA8}"


def guid():
    return "{" + str(uuid.uuid4()).upper() + "}"


def write_document(path, functions):
    settings = "&#10;".join('&lt;Param Name=&quot;p%d&quot; Value=&quot;value of the step&quot;/&gt;' % i for i in range(5)) + "&#10;"
    with open(path, "w", encoding="utf-8") as out:
        out.write('<?xml version="1.0"?>\n<Data>\n')
        out.write('  <Process CardID="%s" CardTypeID="%s" Template="1">\n' % (guid(), PROCESS_TYPE))
        out.write('    <MainInfo RowID="%s" Name="Large process" State="0" TemplateState="0" Template="1">\n'
                  '      <DocTypes />\n    </MainInfo>\n' % guid())
        ids = []
        out.write("    <Functions>\n")
        for i in range(functions):
            fid = guid()
            ids.append(fid)
            out.write(
                '      <FunctionsRow RowID="%s" ID="%s" Caption="Step %d" Description="The step number %d of the process"'
                ' TypeID="%s" Data="%s" UseSparedData="0" XPos="%s" YPos="%s" Width="120" Height="60"'
                ' PoolingInterval="60" ReuseStep="1">\n' % (guid(), fid, i, i, TYPE_ID, settings, 100.5 + i, 200.25 + i))
            pid = guid()
            out.write('        <PassStates>\n          <PassStatesRow RowID="%s" ID="%s" Pass="1" UseSparedData="0"'
                      ' State="3">\n            <Constraints />\n          </PassStatesRow>\n        </PassStates>\n'
                      % (pid, pid))
            out.write("      </FunctionsRow>\n")
        out.write("    </Functions>\n    <Links>\n")
        for source, destination in zip(ids, ids[1:]):
            out.write('      <LinksRow RowID="%s" ID="%s" Source="%s" Destination="%s" Points="10,20;30,40;50,60" />\n'
                      % (guid(), guid(), source, destination))
        out.write("    </Links>\n    <Variables>\n")
        for i in range(0, functions, 10):
            out.write('      <VariablesRow RowID="%s" ID="%s" Name="Variable %d" VarType="1" Value="%d" _Type_Value="int" />\n'
                      % (guid(), guid(), i, i))
        out.write("    </Variables>\n  </Process>\n</Data>\n")


def peak_of(command):
    """Runs `command`, returns its peak resident memory in bytes and its output."""
    with tempfile.TemporaryFile() as out:
        child = subprocess.Popen(command, stdout=out, stderr=subprocess.STDOUT)
        _, status, usage = os.wait4(child.pid, 0)
        child.returncode = os.waitstatus_to_exitcode(status)
        out.seek(0)
        text = out.read().decode("utf-8", "replace")
    if child.returncode != 0:
        sys.exit("%s failed (%d):\n%s" % (" ".join(command), child.returncode, text))
    return usage.ru_maxrss * 1024, text


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("tool", help="the vorlane tool")
    parser.add_argument("--functions", type=int, default=100000, help="functions in the document (100,000)")
    parser.add_argument("--keep", help="a folder to keep the document and the store in")
    args = parser.parse_args()
    if args.functions < 1:
        parser.error("--functions must be at least 1")

    folder = args.keep or tempfile.mkdtemp(prefix="import-memory-")
    os.makedirs(folder, exist_ok=True)
    document = os.path.join(folder, "process.xml")
    store = os.path.join(folder, "store.vorlane")
    exported = os.path.join(folder, "exported.xml")
    try:
        for path in (store, exported):
            if os.path.exists(path):
                os.remove(path)
        write_document(document, args.functions)
        size = os.path.getsize(document)
        tool = [args.tool, "--store", store, "--json"]
        subprocess.run(tool + ["init"], check=True, stdout=subprocess.DEVNULL)
        idle, _ = peak_of(tool + ["templates"])
        imported, text = peak_of(tool + ["import", document])
        card = json.loads(text)["id"]
        print("document: %d functions, %.1f MB" % (args.functions, size / 1e6))
        print("%-24s %10s %8s" % ("peak resident memory", "MB", "x file"))
        print("%-24s %10.1f %8.2f" % ("the tool listing", idle / 1e6, idle / size))
        print("%-24s %10.1f %8.2f" % ("import", imported / 1e6, imported / size))
        exported_peak, _ = peak_of(tool + ["export", card, exported])
        print("%-24s %10.1f %8.2f" % ("export", exported_peak / 1e6, exported_peak / size))
    finally:
        if not args.keep:
            for path in (document, store, exported):
                if os.path.exists(path):
                    os.remove(path)
            os.rmdir(folder)


if __name__ == "__main__":
    main()
