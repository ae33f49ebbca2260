"""The habits of a command-line tool: version, help, suggestions, standard
streams, the default store, failures told for people and as JSON."""
import json
import os
import signal
import subprocess

from conftest import START_TYPE, TOOL, process_xml


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


def test_lists_take_filters_and_types_are_listed(tool, startable):
    other = tool.json("new-template", "Leave request")["id"]
    assert [t["id"] for t in tool.json("templates", "--name", "rev*")] == [startable]
    assert [t["id"] for t in tool.json("templates", "--name", "*e*", "--limit", "1")] == [startable]
    assert tool.json("templates", "--name", "nothing*") == []
    first = tool.json("instance", startable)["id"]
    second = tool.json("instance", startable, "--name", "Second")["id"]
    tool.json("instance", other, "--force")
    tool("start", second)
    assert [i["id"] for i in tool.json("instances", "--template", startable.strip("{}").lower())] == [first, second]
    assert [i["id"] for i in tool.json("instances", "--state", "active")] == [second]
    assert len(tool.json("instances", "--limit", "2")) == 2
    tool("instances", "--state", "Sleeping", expect=2)

    types = tool.json("types")
    assert {"kind": "function", "id": START_TYPE, "name": "Start", "isStart": True, "isStop": False} in types
    assert {t["kind"] for t in types} == {"function", "gate"}
    assert "Start" in tool("types").stdout


def test_an_instance_takes_values_of_its_variables(tool):
    path = tool.dir / "vars.xml"
    path.write_text(process_xml("Order", [(1, "Begin", START_TYPE)],
                                variables=[(2, "Amount", 1, ""), (3, "Note", 3, ""), (4, "Urgent", 4, "")]),
                    encoding="utf-8")
    tmpl = tool.json("import", str(path))["id"]
    inst = tool.json("instance", tmpl, "--var", "amount=12", "--var", "Note=a=b", "--var", "Urgent=yes")["id"]
    values = {v["name"]: v["value"] for v in tool.json("show", inst)["variables"]}
    assert values == {"Amount": 12, "Note": "a=b", "Urgent": True}
    for bad, said in (("Amount=twelve", "holds an integer"), ("Missing=1", "has no variable Missing"),
                      ("Amount", "NAME=VALUE")):
        done = tool("instance", tmpl, "--var", bad, expect=1)
        assert said in done.stderr, done.stderr
    assert len(tool.json("instances")) == 1


def test_log_follow_prints_what_comes_until_interrupted(tool, startable):
    inst = tool.json("instance", startable)["id"]
    follower = subprocess.Popen([TOOL, "--store", tool.store, "--user", "alice", "--json", "log", inst, "--follow"],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                stdin=subprocess.DEVNULL)
    tool("start", inst)
    first = json.loads(follower.stdout.readline())
    assert first["action"] and first["date"][19] in "+-"
    follower.send_signal(signal.SIGINT)
    rest, errors = follower.communicate()
    assert follower.returncode == 0, errors
    for line in rest.splitlines():
        json.loads(line)


def test_bash_completes_commands_options_and_ids(tool, startable):
    script = os.path.join(os.path.dirname(__file__), "..", "..", "cli", "completion", "vorlane.bash")

    def complete(*words):
        line = " ".join(["COMP_WORDS=(%s)" % " ".join(repr(w) for w in (TOOL, "--store", tool.store) + words),
                         "COMP_CWORD=%d;" % (len(words) + 2), "_vorlane; echo \"${COMPREPLY[@]}\""])
        done = subprocess.run(["bash", "-c", f"source {script!r}; {line}"], capture_output=True, text=True)
        assert done.returncode == 0, done.stderr
        return done.stdout.split()

    assert complete("sta") == ["start"]
    assert complete("log", "--f") == ["--follow"]
    assert complete("instances", "--state", "Pa") == ["Paused"]
    assert complete("show", "") == [startable]
