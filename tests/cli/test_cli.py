"""The vorlane tool as a person or a script runs it, on a store of its own."""
import json
import os
import pty
import select
import signal
import sqlite3
import subprocess
import time

import pytest

from conftest import START_TYPE, TASK_TYPE, process_xml

TOOL = os.environ["VORLANE_TOOL"]
SUB_PROCESS_TYPE = "{2BF8B01D-3EDF-40C2-8C94-C6F5F3BC82AC}"


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
    assert shown["id"] == made["id"] and shown["isTemplate"] is True
    assert shown["functions"] == [] and shown["variables"] == []
    assert "Template Order approval" in tool("show", bare).stdout


def test_an_instance_is_named_after_its_template_and_starts_not_active(tool, startable):
    tmpl = {"id": startable}
    inst = tool.json("instance", tmpl["id"])
    assert inst["name"] == "Process instance Review"
    listed = tool.json("instances")
    assert listed[0]["state"] == "NonActive"
    assert listed[0]["templateId"] == tmpl["id"]
    named = tool.json("instance", tmpl["id"], "--name", "Leave of Ann")
    assert named["name"] == "Leave of Ann"


def test_the_workflow_commands_move_the_state_and_write_the_log(tool, startable):
    inst = tool.json("instance", startable)["id"]
    assert tool.json("start", inst)["state"] == "Active"
    assert tool.json("pause", inst)["state"] == "Paused"
    assert tool.json("resume", inst)["state"] == "Active"
    assert tool.json("stop", inst)["state"] == "NonActive"
    log = tool.json("log", inst)
    assert len(log) >= 4
    assert len(tool.json("log", inst, "--tail", "2")) == 2
    assert "DATE" in tool("log", inst).stdout


def test_a_start_by_someone_without_rights_is_refused(tool, startable):
    inst = tool.json("instance", startable)["id"]
    tool("start", inst)
    done = tool("stop", inst, user="mallory", groups="", expect=1)
    assert done.stderr.startswith("error: cannot stop 'Process instance Review': the workflow server refused: ")
    assert done.stderr.endswith("[0x80040751]\n") and "SoapError" not in done.stderr
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
    assert done.stderr == f"error: {bad} is a data document without a process: it has no <Process> element [0x80040001]\n"
    assert tool.json("templates") == []
    # A file that is not there is a usage error.
    tool("import", str(tool.dir / "missing.xml"), expect=2)


def test_a_bad_id_is_an_error_with_its_code(tool):
    done = tool("show", "not-an-id", expect=1)
    assert done.stderr.startswith('error: "{NOT-AN-ID}" is not a card ID') and done.stderr.endswith("[0x80040540]\n")
    done = tool("show", "{6C259BD5-F72A-4E8A-8AF1-80746C7D794F}", expect=1)
    assert "[0x8004054" in done.stderr


def test_settings_are_shown_set_and_used_as_the_defaults(tool, startable):
    assert tool.json("settings")["exportWithSubprocesses"] is False
    assert tool.json("settings", "exportwithsubprocesses", "yes") == {"exportWithSubprocesses": True}
    assert tool.json("settings")["exportWithSubprocesses"] is True
    assert tool("settings", "ExportWithSubprocesses").stdout == "true\n"
    for word, value in (("0", False), ("TRUE", True), ("no", False), ("1", True)):
        assert tool.json("settings", "ShowImportDialog", word)["showImportDialog"] is value
    assert "true or false" in tool("settings", "ShowImportDialog", "maybe", expect=1).stderr
    tool("settings", "NoSuchSetting", "True", expect=1)
    helped = tool("export", "--help").stdout
    assert "--subprocesses" in helped and "ExportWithSubprocesses decides" in helped
    tool("export", startable, str(tool.dir / "x.xml"), "--subprocesses", "--no-subprocesses", expect=2)


def test_export_follows_sub_processes_as_the_setting_says_unless_told(tool, startable):
    path = tool.dir / "main.xml"
    path.write_text(process_xml("Main", [(1, "Begin", START_TYPE), (2, "Run sub", SUB_PROCESS_TYPE, startable)],
                                [(3, 1, 2)]), encoding="utf-8")
    main = tool.json("import", str(path), "--no-subprocesses")["id"]

    def exported(*flags):
        return tool("export", main, "-", *flags).stdout.count("<Process ")

    tool("settings", "ExportWithSubprocesses", "false")
    assert (exported(), exported("--subprocesses")) == (1, 2)
    tool("settings", "ExportWithSubprocesses", "true")
    assert (exported(), exported("--no-subprocesses")) == (2, 1)


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


# ---- a store is made by init only ---------------------------------------------


def test_only_init_makes_a_store(tool):
    missing = str(tool.dir / "mistyped.vorlane")
    done = subprocess.run([TOOL, "--store", missing, "templates"], capture_output=True, text=True,
                          stdin=subprocess.DEVNULL, timeout=60)
    assert done.returncode == 1
    assert done.stderr == "error: no store at %s (run 'vorlane init' to make one) [0x80040500]\n" % missing
    assert not os.path.exists(missing)
    empty = tool.dir / "empty.vorlane"
    empty.write_bytes(b"")
    for command in (["templates"], ["new-template", "X"], ["import", str(tool.dir / "x.xml")]):
        (tool.dir / "x.xml").write_text("<Data/>", encoding="utf-8")
        done = subprocess.run([TOOL, "--store", str(empty)] + command, capture_output=True, text=True,
                              stdin=subprocess.DEVNULL, timeout=60)
        assert done.returncode == 1 and "no store at" in done.stderr, (command, done.stderr)
        assert empty.read_bytes() == b""
    done = subprocess.run([TOOL, "--store", str(empty), "init"], capture_output=True, text=True,
                          stdin=subprocess.DEVNULL, timeout=60)
    assert done.returncode == 0, done.stderr


def test_an_error_about_a_card_names_the_store(tool):
    done = tool("show", "{6C259BD5-F72A-4E8A-8AF1-80746C7D794F}", expect=1)
    assert "{6C259BD5-F72A-4E8A-8AF1-80746C7D794F} in store \"%s\"" % tool.store in done.stderr


# ---- one bad file or card does not break the store --------------------------------

ROW_ID = "{%08X-0000-4000-8000-000000000000}"


def process_document(functions):
    rows = "".join("<FunctionsRow %s/>" % attributes for attributes in functions)
    return ('<Data><Process CardTypeID="{AE82DD57-348C-4407-A50A-9F2C7D694DA8}" Template="1">'
            '<MainInfo Name="Bad"/><Functions>%s</Functions></Process></Data>' % rows)


@pytest.mark.parametrize("functions, code, names", [
    (['ID="%s" Caption="a"' % (ROW_ID % 1), 'Caption="no ID"'], "0x800A005E", ["row 2", '"ID"']),
    (['ID="%s"' % (ROW_ID % 1), 'ID="%s"' % (ROW_ID % 1).lower()], "0x800A01C9", [(ROW_ID % 1).lower()]),
    (['ID="step-1"'], "0x800A000D", ["step-1"]),
])
def test_a_file_with_bad_function_ids_is_refused_and_the_store_still_lists(tool, functions, code, names):
    kept = tool.json("new-template", "Kept")
    bad = tool.dir / "bad.xml"
    bad.write_text(process_document(functions), encoding="utf-8")
    done = tool("import", str(bad), expect=1)
    assert done.stderr.endswith("[" + code + "]\n") and '"FunctionsRow"' in done.stderr, done.stderr
    for name in names:
        assert name in done.stderr, done.stderr
    assert [t["id"] for t in tool.json("templates")] == [kept["id"]]
    # Into a template, the refusal leaves it as it was.
    before = tool.json("show", kept["id"])
    tool("import", str(bad), "--into", kept["id"], "--yes", expect=1)
    assert tool.json("show", kept["id"]) == before


def damage(tool, sql, *args):
    db = sqlite3.connect(tool.store)
    with db:
        db.execute(sql, args)
    db.close()


def test_a_listing_shows_what_reads_and_reports_each_card_that_does_not(tool):
    good = tool.json("new-template", "Good")
    huge = tool.json("new-template", "Huge")
    lost = tool.json("new-template", "Lost")
    damage(tool, "UPDATE cards SET row_count = 16000000 WHERE description = ?", "Huge")
    damage(tool, "UPDATE cards SET type = x'00112233445566778899AABBCCDDEEFF' WHERE description = ?", "Lost")
    done = tool("--json", "templates", expect=1)
    assert [t["id"] for t in json.loads(done.stdout)] == [good["id"]]
    errors = done.stderr.splitlines()
    assert len(errors) == 2, done.stderr
    where = 'in store "%s" cannot be read' % tool.store
    huge_error = next(e for e in errors if huge["id"] in e)
    assert where in huge_error and "is damaged" in huge_error
    lost_error = next(e for e in errors if lost["id"] in e)
    assert where in lost_error and "is not one of the store's card types" in lost_error
    assert "Good" in tool("templates", expect=1).stdout
    assert tool.json("instances") == []


# ---- what destroys asks first -----------------------------------------------------


def test_an_import_reads_only_a_regular_file_within_max_size(tool):
    doc = tool.dir / "order.xml"
    doc.write_text(process_xml("Order", [(1, "Start", START_TYPE)]))
    fifo = tool.dir / "pipe.xml"
    os.mkfifo(fifo)
    before = tool.json("templates")
    try:
        for args, says in [(["import", "/dev/zero"], "/dev/zero is a device"),
                           (["import", str(fifo)], "is a pipe"),
                           (["--max-size", "100", "import", str(doc)], "more than the 100 an import reads (--max-size)"),
                           (["diff", str(doc), "/dev/zero"], "/dev/zero is a device")]:
            refused = tool(*args, expect=1)
            assert refused.stderr.startswith("error:") and says in refused.stderr, (args, refused.stderr)
    finally:
        fifo.unlink()  # nothing after this test may wait on it
    # Standard input is held to the limit as it is read.
    big = subprocess.run([os.environ["VORLANE_TOOL"], "--store", tool.store, "--user", "alice", "--max-size", "1KiB",
                          "import", "-"], input=b"\0" * 5000, capture_output=True, timeout=60)
    assert big.returncode == 1 and b"standard input holds more than the 1024 bytes" in big.stderr
    assert tool.json("templates") == before
    tool("--max-size", "1MiB", "import", str(doc))
    assert len(tool.json("templates")) == len(before) + 1


def test_an_import_into_an_instance_is_refused(tool, startable):
    tmpl = {"id": startable}
    path = str(tool.dir / "source.xml")
    tool("export", tmpl["id"], path)
    inst = tool.json("instance", tmpl["id"])["id"]
    tool("start", inst)
    before = tool.json("show", inst)
    done = tool("import", path, "--into", inst, "--yes", expect=1)
    assert "is a process instance" in done.stderr and "template only" in done.stderr
    assert tool.json("show", inst) == before


def test_an_import_into_a_template_needs_agreement(tool):
    source = tool.json("new-template", "Source")
    target = tool.json("new-template", "Target")
    path = str(tool.dir / "source.xml")
    tool("export", source["id"], path)
    done = tool("import", path, "--into", target["id"], expect=1)
    assert "replaces the content of template Target" in done.stderr and "--yes" in done.stderr
    assert tool.json("show", target["id"])["name"] == "Target"
    assert tool.json("import", path, "--into", target["id"], "--yes")["id"] == target["id"]
    assert tool.json("show", target["id"])["name"] == "Source"
    assert tool.json("show", target["id"])["isTemplate"] is True


def on_a_terminal(tool, args, answer):
    """Runs the tool on a terminal until it asks; then types `answer`, or sends
    the signal `answer`. Gives the exit code and what the terminal showed."""
    pid, fd = pty.fork()
    if pid == 0:
        os.execv(TOOL, [TOOL, "--store", tool.store, "--user", "alice"] + args)
    shown = b""

    def read():
        ready, _, _ = select.select([fd], [], [], 60)
        assert ready, shown
        try:
            return os.read(fd, 4096)
        except OSError:  # the terminal closed with the tool
            return b""

    while b"[y/N]" not in shown:
        chunk = read()
        assert chunk, shown
        shown += chunk
    if isinstance(answer, bytes):
        os.write(fd, answer)
    else:
        os.kill(pid, answer)
    while chunk := read():
        shown += chunk
    _, status = os.waitpid(pid, 0)
    os.close(fd)
    return os.waitstatus_to_exitcode(status), shown.decode()


def test_on_a_terminal_an_import_into_a_template_asks_first(tool):
    source = tool.json("new-template", "Source")
    target = tool.json("new-template", "Target")
    path = str(tool.dir / "source.xml")
    tool("export", source["id"], path)
    args = ["import", path, "--into", target["id"]]
    code, shown = on_a_terminal(tool, args, b"n\n")
    assert code == 1 and "nothing was imported" in shown
    code, shown = on_a_terminal(tool, args, signal.SIGINT)
    assert code == 130 and "interrupted: nothing was imported" in shown
    assert tool.json("show", target["id"])["name"] == "Target"
    code, shown = on_a_terminal(tool, args, b"y\n")
    assert code == 0 and "Imported" in shown
    assert tool.json("show", target["id"])["name"] == "Source"


def card_of_type(tool, type_hex):
    db = sqlite3.connect(tool.store)
    (raw,) = db.execute("SELECT hex(id) FROM cards WHERE hex(type) = ?", (type_hex,)).fetchone()
    db.close()
    return "{%s-%s-%s-%s-%s}" % (raw[:8], raw[8:12], raw[12:16], raw[16:20], raw[20:])


def test_delete_removes_process_cards_only(tool):
    functions = card_of_type(tool, "BDB73D058DE141B29F3CAA76C4D9CD64")
    done = tool("delete", functions, "--yes", expect=1)
    assert "is not a process card" in done.stderr, done.stderr
    assert "function types" in tool("init").stdout


def test_delete_of_what_is_in_use_needs_yes(tool, startable):
    tmpl = {"id": startable}
    inst = tool.json("instance", tmpl["id"])["id"]
    tool("start", inst)
    done = tool("delete", inst, expect=1)
    assert "running instance (Active)" in done.stderr and "--yes" in done.stderr
    done = tool("delete", tmpl["id"], expect=1)
    assert "template of 1 instance" in done.stderr
    assert len(tool.json("templates")) == 1 and len(tool.json("instances")) == 1
    assert tool.json("delete", inst, "--yes")["deleted"] == inst
    # With its instance gone the template is an ordinary delete.
    assert tool.json("delete", tmpl["id"])["deleted"] == tmpl["id"]


# ---- nothing half-done -------------------------------------------------------------


@pytest.mark.parametrize("sig, code", [(signal.SIGINT, 130), (signal.SIGTERM, 143)])
def test_an_interrupted_import_leaves_no_card(tool, sig, code):
    source = tool.json("new-template", "Source")
    path = str(tool.dir / "source.xml")
    tool("export", source["id"], path)
    document = open(path, encoding="utf-8").read()
    # The tool reads the document from standard input: the signal comes
    # while it waits there for the rest of it.
    child = subprocess.Popen([TOOL, "--store", tool.store, "--user", "alice", "import", "-"],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, stdin=subprocess.PIPE, text=True)
    try:
        child.stdin.write(document[:100])
        child.stdin.flush()
        waiting = f"/proc/{child.pid}/wchan"
        for _ in range(3000):
            with open(waiting) as wchan:
                if wchan.read().strip().endswith("pipe_read"):
                    break
            time.sleep(0.01)
        child.send_signal(sig)
        out, err = child.communicate(document[100:], timeout=60)
    finally:
        if child.poll() is None:
            child.kill()
            child.wait(timeout=60)
    assert child.returncode == code, (out, err)
    assert err == "interrupted: nothing was imported\n" and out == ""
    assert [t["id"] for t in tool.json("templates")] == [source["id"]]


CONVERT_DATA = os.path.join(os.path.dirname(__file__), "..", "card", "data", "convert")


def test_convert_brings_an_old_process_to_this_version_once(tool):
    old = tool.json("import", os.path.join(CONVERT_DATA, "version-3.0.xml"))["id"]
    done = tool.json("convert", old)
    assert done["converted"] is True
    assert (done["fromVersion"], done["fromBuild"], done["version"], done["build"]) == ("3.0", 1100, "4.1", 1316)
    assert done["valuesUnprefixed"] == 5 and done["enumValuesRenumbered"] == 3 and done["nullGateAdded"] is True
    shown = tool.json("show", old)
    assert [g["caption"] for g in shown["gates"]] == ["Process"]
    # A current process: said so, nothing changed, and not a failure.
    again = tool("convert", old)
    assert "there is nothing to convert" in again.stdout
    assert tool.json("convert", old) == {"id": old, "converted": False, "version": "4.1", "build": 1316}
    made = tool.json("new-template", "Fresh")
    assert tool.json("convert", made["id"])["converted"] is False


def test_a_conversion_that_fails_changes_nothing(tool):
    # A stored value its type cannot read stops the conversion.
    with open(os.path.join(CONVERT_DATA, "version-3.0.xml"), encoding="utf-8") as f:
        text = f.read().replace('Value="INT:1500"', 'Value="INT:many"')
    (tool.dir / "bad.xml").write_text(text, encoding="utf-8")
    broken = tool.json("import", str(tool.dir / "bad.xml"))["id"]
    tool("export", broken, "before.xml")
    failed = tool("convert", broken, expect=1)
    assert failed.stderr.startswith("error:")
    tool("export", broken, "after.xml")
    assert (tool.dir / "before.xml").read_text() == (tool.dir / "after.xml").read_text()
    assert tool.json("show", broken)["version"] == "3.0"


def test_diff_lists_what_changed_between_a_card_and_a_file_and_exits_1(tool):
    v1 = tool.dir / "v1.xml"
    v1.write_text(process_xml("Order", [(1, "Start", START_TYPE), (2, "Review", TASK_TYPE)], links=[(1, 1, 2)]))
    card = tool.json("import", str(v1))["id"]
    mine = tool.dir / "mine.xml"
    tool("export", card, str(mine))
    assert tool("diff", card, str(mine)).stdout.endswith("The processes do not differ.\n")

    # A caption changed, a function moved.
    text = mine.read_text().replace('Caption="Review"', 'Caption="Review again"', 1)
    text = text.replace('XPos="0"', 'XPos="90"', 1) if 'XPos="0"' in text else text
    v2 = tool.dir / "v2.xml"
    v2.write_text(text)
    done = tool("diff", str(mine), str(v2), expect=1)
    assert "~ changed function" in done.stdout and "Review again" in done.stdout

    # A file that would put a terminal escape on the screen is no process document.
    escape = tool.dir / "escape.xml"
    escape.write_text(text.replace('Caption="Review again"', 'Caption="Review&#27;[2J"', 1))
    refused = tool("diff", str(mine), str(escape), expect=1)
    assert refused.stderr.startswith("error:") and '"Caption"' in refused.stderr and "&#27;" in refused.stderr
    assert "\x1b" not in refused.stdout + refused.stderr
    result = tool.json("diff", str(mine), str(v2), expect=1)
    assert [d["change"] for d in result["differences"]][:1] == ["changed"]
    assert result["counts"]["changed"] >= 1

    bad = tool("diff", str(mine), str(tool.dir / "missing.xml"), expect=1)
    assert bad.stderr.startswith("error:")
