"""The vorlane tool as a person or a script runs it, on a store of its own."""
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
        done = subprocess.run(cmd, capture_output=True, text=True, cwd=tmp_path, timeout=60)
        assert done.returncode == expect, (cmd, done.stdout, done.stderr)
        return done

    def run_json(*args, **kw):
        return json.loads(run("--json", *args, **kw).stdout)

    run.json = run_json
    run.dir = tmp_path
    run("init")
    return run


def test_init_makes_the_dictionaries(tool):
    out = tool("init").stdout
    assert "is ready" in out and "function types" in out
    assert tool.json("init")["store"].endswith("store.vorlane")


def test_a_template_is_listed_shown_and_found_by_any_form_of_its_id(tool):
    made = tool.json("new-template", "Order approval")
    listed = tool.json("templates")
    assert [t["id"] for t in listed] == [made["id"]]
    assert listed[0]["name"] == "Order approval"
    bare = made["id"].strip("{}").lower()
    shown = tool.json("show", bare)
    assert shown["id"] == made["id"] and shown["template"] is True
    assert shown["functions"] == [] and shown["variables"] == []
    assert "Template Order approval" in tool("show", bare).stdout


def test_an_instance_is_named_after_its_template_and_starts_not_active(tool):
    tmpl = tool.json("new-template", "Leave request")
    inst = tool.json("instance", tmpl["id"])
    assert inst["name"] == "Process instance Leave request"
    listed = tool.json("instances")
    assert listed[0]["state"] == "NonActive"
    assert listed[0]["template"] == tmpl["id"]
    named = tool.json("instance", tmpl["id"], "--name", "Leave of Ann")
    assert named["name"] == "Leave of Ann"


def test_the_workflow_commands_move_the_state_and_write_the_log(tool):
    tmpl = tool.json("new-template", "Review")
    inst = tool.json("instance", tmpl["id"])["id"]
    assert tool.json("start", inst)["state"] == "Active"
    assert tool.json("pause", inst)["state"] == "Paused"
    assert tool.json("resume", inst)["state"] == "Active"
    assert tool.json("stop", inst)["state"] == "NonActive"
    log = tool.json("log", inst)
    assert len(log) >= 4
    assert len(tool.json("log", inst, "--tail", "2")) == 2
    assert "DATE" in tool("log", inst).stdout


def test_a_start_by_someone_without_rights_is_refused(tool):
    tmpl = tool.json("new-template", "Review")
    inst = tool.json("instance", tmpl["id"])["id"]
    tool("start", inst)
    done = tool("stop", inst, user="mallory", groups="", expect=1)
    assert done.stderr.startswith("error: 0x80040751")
    assert tool.json("show", inst)["state"] == "Active"


def test_export_and_import_give_a_second_template(tool):
    tmpl = tool.json("new-template", "Purchase")
    path = str(tool.dir / "purchase.xml")
    tool("export", tmpl["id"], path)
    assert "<Process" in open(path, encoding="utf-8").read()
    imported = tool.json("import", path)
    assert imported["id"] != tmpl["id"] and imported["name"] == "Purchase"
    assert len(tool.json("templates")) == 2


def test_a_file_that_holds_no_process_is_refused_and_leaves_no_card(tool):
    bad = tool.dir / "bad.xml"
    bad.write_text("<Data><Nothing/></Data>", encoding="utf-8")
    done = tool("import", str(bad), expect=1)
    assert done.stderr == "error: 0x80040001: Specified data does not contain business-process.\n"
    assert tool.json("templates") == []
    # A file that is not there is a usage error.
    tool("import", str(tool.dir / "missing.xml"), expect=2)


def test_a_bad_id_is_an_error_with_its_code(tool):
    done = tool("show", "not-an-id", expect=1)
    assert done.stderr.startswith("error: 0x80040540")
    done = tool("show", "{6C259BD5-F72A-4E8A-8AF1-80746C7D794F}", expect=1)
    assert done.stderr.startswith("error: 0x8004054")


def test_settings_are_shown_and_set(tool):
    assert tool.json("settings")["ExportWithSubprocesses"] is False
    assert tool.json("settings", "exportwithsubprocesses", "True")["ExportWithSubprocesses"] is True
    assert tool.json("settings")["ExportWithSubprocesses"] is True
    tool("settings", "NoSuchSetting", "True", expect=1)
    tool("settings", "ShowExportDialog", expect=2)


def test_delete_removes_the_card(tool):
    tmpl = tool.json("new-template", "Gone")
    assert tool.json("delete", tmpl["id"])["deleted"] == tmpl["id"]
    assert tool.json("templates") == []


def test_usage_errors_and_help(tool):
    tool(expect=2)
    tool("frobnicate", expect=2)
    tool("show", expect=2)
    helped = tool("export", "--help")
    assert "Example:" in helped.stdout and "--no-subprocesses" in helped.stdout
