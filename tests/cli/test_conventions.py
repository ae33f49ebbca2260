"""The habits of a command-line tool: version, help, suggestions, standard
streams, the default store, failures told for people and as JSON."""
import json
import os
import subprocess

from conftest import TOOL


def bare(*args, cwd=None, env=None, input=None):
    return subprocess.run([TOOL, *args], capture_output=True, text=True, cwd=cwd, env=env, input=input,
                          stdin=None if input is not None else subprocess.DEVNULL)


def test_version_help_and_suggestions():
    done = bare("--version")
    assert (done.returncode, done.stdout) == (0, "vorlane 4.1\n")
    helped = bare("help", "log")
    assert helped.returncode == 0 and "Usage: vorlane log [OPTIONS] ID" in helped.stdout
    assert "Usage: vorlane [OPTIONS]" in bare("--help").stdout
    done = bare("staet", "{X}")
    assert done.returncode == 2 and "unknown command 'staet'; did you mean 'start'?" in done.stderr
    done = bare("--json", "frobnicate")
    assert done.returncode == 2 and json.loads(done.stdout)["error"]["code"] == "usage"
    done = bare("log", "{X}", "--tial", "3")
    assert done.returncode == 2 and "did you mean --tail?" in done.stderr


def test_command_line_values_are_checked(tool):
    tmpl = tool.json("new-template", "Named")["id"]
    for bad in ("", "   ", "two\nlines"):
        done = tool("new-template", bad, expect=2)
        assert "a name must" in done.stderr
        tool("instance", tmpl, "--force", "--name", bad, expect=2)
    assert "must be 0 or more" in tool("log", tmpl, "--tail", "-1", expect=2).stderr
    assert tool("log", tmpl, "--tail", "0").stdout == ""
    assert tool.json("log", tmpl, "--tail", "0") == []
    assert "no locale the platform knows" in tool("--locale", "999", "templates", expect=2).stderr
    tool("--locale", "1049", "templates")


def test_failures_are_one_json_document_and_a_sentence_with_the_code(tool, startable):
    inst = tool.json("instance", startable)["id"]
    done = tool("--json", "pause", inst, expect=1)
    error = json.loads(done.stdout)["error"]
    assert error["code"] == "0x80040751"
    assert error["message"].startswith("cannot pause 'Process instance Review': it is not running "
                                       "(state NonActive). Start it first.")
    assert done.stderr.startswith("error: " + error["message"]) and done.stderr.endswith(" [0x80040751]\n")
    assert tool.store in error["message"]


def test_each_way_a_file_is_not_a_process_is_told(tool):
    cases = {
        "empty.xml": ("", "is empty"),
        "blank.xml": ("  \n", "is empty"),
        "binary.xml": ("<Data>\0</Data>", "is not text"),
        "broken.xml": ("<Data>\n  <Process a=1/>\n</Data>", "is not XML: "),
        "cut.xml": ("<Data>\n  <Process>\n", "ends before its XML does (line 2"),
        "other.xml": ("<svg/>", "is XML of another kind: its root element is <svg>"),
        "noprocess.xml": ("<Data><Nothing/></Data>", "is a data document without a process"),
    }
    for name, (content, said) in cases.items():
        path = tool.dir / name
        path.write_text(content, encoding="utf-8")
        done = tool("import", str(path), expect=1)
        assert said in done.stderr and done.stderr.endswith("[0x80040001]\n"), (name, done.stderr)
    assert "line 2, column" in tool("import", str(tool.dir / "broken.xml"), expect=1).stderr
    assert tool.json("templates") == []


def test_standard_streams_and_the_default_store(tool, startable):
    exported = tool("export", startable, "-").stdout
    assert exported.startswith("<?xml") and "Begin" in exported
    env = dict(os.environ, VORLANE_STORE=tool.store)
    done = bare("--json", "import", "-", env=env, input=exported, cwd=tool.dir)
    assert done.returncode == 0, done.stderr
    assert json.loads(done.stdout)["name"] == "Review"
    assert len(tool.json("templates")) == 2
    done = bare("validate", "-", env=env, input=exported)
    assert done.returncode == 0 and "no findings" in done.stdout
