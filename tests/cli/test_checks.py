"""validate, render, and the check that start and instance run first."""
import json
import subprocess
import xml.dom.minidom

from conftest import START_TYPE, TASK_TYPE, TOOL, node_id, process_xml

UNKNOWN_TYPE = "{0BAD0BAD-0000-4000-8000-000000000000}"


def write(tool, name, text):
    path = tool.dir / name
    path.write_text(text, encoding="utf-8")
    return str(path)


def test_a_sound_process_has_no_findings_by_id_and_by_file(tool, startable):
    assert tool.json("validate", startable) == {
        "id": startable, "name": "Review", "valid": True, "findings": []}
    assert "no findings" in tool("validate", startable.strip("{}").lower()).stdout
    path = str(tool.dir / "review.xml")
    tool("export", startable, path)
    before = tool.json("templates")
    assert tool.json("validate", path)["valid"] is True
    # A file is read into a card that is never written.
    assert tool.json("templates") == before
    # Without a store file, a store in memory stands in; none is made.
    missing = tool.dir / "none.vorlane"
    done = subprocess.run([TOOL, "--store", str(missing), "--json", "validate", path], capture_output=True, text=True)
    assert done.returncode == 0 and json.loads(done.stdout)["valid"] is True, done.stderr
    assert not missing.exists()


def test_every_kind_of_finding_names_its_element(tool):
    path = write(tool, "faulty.xml", process_xml(
        "Faulty",
        functions=[(1, "Begin", START_TYPE), (2, "Check", TASK_TYPE), (3, "Orphan", TASK_TYPE),
                   (4, "Odd", UNKNOWN_TYPE)],
        gates=[(5, "Strange gate", UNKNOWN_TYPE)],
        links=[(10, 1, 2), (11, 2, 99), (12, None, 3)],
        variables=[(20, "amount", 1, "twelve"), (21, "Amount", 3, "x"), (22, "when", 5, "12.5")]))
    before = tool.json("templates")
    done = tool("--json", "validate", path, expect=1)
    report = json.loads(done.stdout)
    assert report["valid"] is False
    found = {(f["rule"], f["id"]): f for f in report["findings"]}
    assert set(found) == {
        ("unknownFunctionType", node_id(4)), ("unknownGateType", node_id(5)),
        ("danglingLink", node_id(11)), ("danglingLink", node_id(12)),
        ("unreachable", node_id(3)), ("unreachable", node_id(4)), ("unreachable", node_id(5)),
        ("valueDoesNotFitType", node_id(20)), ("duplicateVariableName", node_id(21))}
    odd = found[("unknownFunctionType", node_id(4))]
    assert odd["blocksStart"] is True and odd["caption"] == "Odd"
    assert odd["message"].startswith("Business-process has functions of unknown types: function 'Odd'")
    assert found[("danglingLink", node_id(11))]["message"].endswith(node_id(99) + " is no function or gate of the process")
    assert "source is not set" in found[("danglingLink", node_id(12))]["message"]
    assert ("unreachable", node_id(2)) not in found
    assert tool.json("templates") == before

    text = tool("validate", path, expect=1).stdout
    assert "9 findings" in text and "[start] Business-process has gates of unknown types: gate 'Strange gate'" in text


def test_no_start_function_is_told_in_the_cards_words(tool):
    made = tool.json("new-template", "Empty")["id"]
    report = tool("--json", "validate", made, expect=1)
    findings = json.loads(report.stdout)["findings"]
    assert [(f["rule"], f["message"]) for f in findings] == [
        ("noStartFunction", "Business-process does not have starting functions.")]


def test_start_and_instance_refuse_what_cannot_start_unless_forced(tool, startable):
    empty = tool.json("new-template", "Empty")["id"]
    done = tool("instance", empty, expect=1)
    assert "cannot make an instance of 'Empty'" in done.stderr
    assert "Business-process does not have starting functions." in done.stderr
    assert tool.json("instances") == []
    forced = tool.json("instance", empty, "--force")["id"]
    done = tool("start", forced, expect=1)
    assert "cannot start 'Process instance Empty'" in done.stderr
    assert tool.json("start", forced, "--force")["state"] == "Active"

    inst = tool.json("instance", startable)["id"]
    assert tool.json("start", inst)["state"] == "Active"


def test_render_draws_the_designers_picture_or_dot(tool, startable):
    svg = tool("render", startable).stdout
    dom = xml.dom.minidom.parseString(svg.encode("utf-8"))
    assert dom.documentElement.tagName == "svg"
    assert "Begin" in svg and "Check" in svg
    out = tool.dir / "review.svg"
    assert tool.json("render", startable, "-o", str(out))["file"] == str(out)
    assert out.read_text(encoding="utf-8") == svg
    dot = tool("render", startable, "--format", "dot").stdout
    assert dot.startswith('digraph "Review" {')
    assert f'"{node_id(1)}" -> "{node_id(2)}"' in dot and 'label="Begin"' in dot
    tool("render", startable, "--format", "png", expect=2)


def test_show_of_an_instance_says_where_it_stands(tool, startable):
    inst = tool.json("instance", startable)["id"]
    shown = tool.json("show", inst)
    assert [(f["caption"], f["passes"]) for f in shown["functions"]] == [("Begin", []), ("Check", [])]
    assert "not reached" in tool("show", inst).stdout
    assert "passes" not in tool.json("show", startable)["functions"][0]
