"""What every test of the tool runs on: the built program and a store of its own."""
import json
import os
import subprocess

import pytest

TOOL = os.environ["VORLANE_TOOL"]


@pytest.fixture
def tool(tmp_path):
    store = str(tmp_path / "store.vorlane")

    def run(*args, user="alice", groups=None, expect=0):
        cmd = [TOOL, "--store", store, "--user", user]
        if groups is not None:
            cmd += ["--groups", groups]
        cmd += list(args)
        # No terminal to ask on: a question is never waited for.
        done = subprocess.run(cmd, capture_output=True, text=True, cwd=tmp_path, timeout=60,
                              stdin=subprocess.DEVNULL)
        assert done.returncode == expect, (cmd, done.stdout, done.stderr)
        return done

    def run_json(*args, **kw):
        return json.loads(run("--json", *args, **kw).stdout)

    run.json = run_json
    run.dir = tmp_path
    run.store = store
    run("init")
    return run



START_TYPE = "{2E0A9AAF-CC20-46CD-875E-F3987718C551}"
TASK_TYPE = "{2B262D6F-6195-44DE-A0CC-A60129BBCF99}"


def node_id(n):
    return "{%08X-0000-4000-8000-000000000001}" % n


def process_xml(name, functions, links=(), gates=(), variables=()):
    """A process document: functions as (number, caption, type ID[, linked card ID]), gates
    as (number, caption, type ID), links as (number, source, destination)
    by node numbers (None for an end that is not set), variables as
    (number, name, VarType, stored value)."""
    row = iter(range(0x100, 0x10000))

    def rid():
        return "{%08X-0000-4000-8000-000000000002}" % next(row)

    out = ['<?xml version="1.0"?>', "<Data>",
           '<Process CardID="{0E0E0E0E-0000-4000-8000-000000000000}" '
           'CardTypeID="{AE82DD57-348C-4407-A50A-9F2C7D694DA8}" Template="1">',
           f'<MainInfo RowID="{rid()}" Name="{name}" State="0" TemplateState="0" Version="4.1" '
           'BuildNumber="1316" Template="1"><DocTypes /></MainInfo>', "<Functions>"]
    for n, caption, type_id, *card in functions:
        linked = f' CardID="{card[0]}"' if card else ""
        out.append(f'<FunctionsRow RowID="{rid()}" ID="{node_id(n)}" Caption="{caption}" TypeID="{type_id}"{linked} '
                   'UseSparedData="0" ReuseStep="1"><PassStates /></FunctionsRow>')
    out.append("</Functions><Gates>")
    for n, caption, type_id in gates:
        out.append(f'<GatesRow RowID="{rid()}" ID="{node_id(n)}" Caption="{caption}" TypeID="{type_id}" />')
    out.append("</Gates><Links>")
    for n, source, destination in links:
        ends = "".join(f' {k}="{node_id(v)}"' for k, v in (("Source", source), ("Destination", destination))
                       if v is not None)
        out.append(f'<LinksRow RowID="{rid()}" ID="{node_id(n)}"{ends} LinkType="0" Disabled="0" Style="0" />')
    out.append("</Links><Variables>")
    for n, var_name, var_type, value in variables:
        out.append(f'<VariablesRow RowID="{rid()}" ID="{node_id(n)}" Name="{var_name}" VarType="{var_type}" '
                   f'Value="{value}" />')
    out.append("</Variables><LogMessages /></Process></Data>")
    return "\n".join(out)


@pytest.fixture
def startable(tool):
    """A template that can start: a start function leading to a task."""
    path = tool.dir / "startable.xml"
    path.write_text(process_xml("Review", [(1, "Begin", START_TYPE), (2, "Check", TASK_TYPE)], [(3, 1, 2)]),
                    encoding="utf-8")
    return tool.json("import", str(path))["id"]
