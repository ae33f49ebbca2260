"""The module as a new script meets it: no registry file names the object
model, so create() finds it among the libraries the module was built with.
Run in a process of its own, with VORLANE_REGISTRY naming a file that does
not exist."""

import enum
import os
import pathlib
import pydoc
import re
import subprocess
import sys

import pytest

import vorlane

ROOT = pathlib.Path(__file__).resolve().parents[2]
SUBSCRIPT_OUT_OF_RANGE = 0x800A0009
INVALID_PROCEDURE_CALL = 0x800A0005


def run_script(code, cwd, **env):
    environment = dict(os.environ, **env)
    return subprocess.run([sys.executable, "-c", code], cwd=cwd, env=environment, capture_output=True, text=True)


@pytest.fixture
def library():
    library = vorlane.create("QXVorlane.Library")
    library.Connection = vorlane.open_store().open_session("alice")
    return library


def test_the_readme_snippet_runs_as_written(tmp_path):
    readme = (ROOT / "README.md").read_text()
    scripting = readme[readme.index("## Scripting"):]
    snippet = re.search(r"```python\n(.*?)```", scripting, re.S).group(1)
    # The snippet, then a look at what it made, in a fresh interpreter.
    check = snippet + "\nprint(process.Name, process.Functions.Count, step.Caption)\n"
    done = run_script(check, tmp_path, VORLANE_REGISTRY=str(tmp_path / "no-registry"))
    assert done.returncode == 0, done.stderr
    assert done.stdout == "Order approval 1 Review\n"
    assert (tmp_path / "store.vorlane").exists()
    assert not (tmp_path / "no-registry").exists()


def test_register_loads_a_library_and_can_write_the_registry_file(tmp_path):
    library = pathlib.Path(os.environ["VORLANE_LIBRARY_DIR"]) / "libvorlane_objects.so"
    registry = tmp_path / "registry"
    code = (
        "import pathlib, sys, vorlane\n"
        f"added = vorlane.register(pathlib.Path({str(library)!r}), write_registry=True)\n"
        "print('QXVorlane.Library' in added)\n"
        "print(vorlane.create('QXVorlane.Library'))\n"
    )
    done = run_script(code, tmp_path, VORLANE_REGISTRY=str(registry))
    assert done.returncode == 0, done.stderr
    assert done.stdout == "True\n<vorlane object _Library>\n"
    assert "QXVorlane.Library\t" + str(library) in registry.read_text()

    with pytest.raises(ValueError, match="cannot load"):
        vorlane.register(tmp_path / "no-such-library.so")
    with pytest.raises(vorlane.ComError) as error:
        vorlane.create("QXVorlane.NoSuchClass")
    assert error.value.hresult == 0x80040154


def test_the_enumerations_are_int_enums_that_go_where_integers_do(library):
    assert issubclass(vorlane.ProcessStateEnum, enum.IntEnum)
    assert vorlane.ProcessStateEnum.Active == 1
    assert vorlane.FuncStateEnum.WaitForWeaklyLinkedCardChange == 8
    assert vorlane.LoggingLevelEnum["None"] == 0
    assert [m.name for m in vorlane.VarTypeEnum] == [
        "Generic", "Integer", "Float", "String", "Boolean", "DateTime", "Enum"]
    process = library.Templates.AddNew()
    variable = process.Variables.AddNew()
    variable.VarType = vorlane.VarTypeEnum.DateTime
    assert variable.VarType == vorlane.VarTypeEnum.DateTime
    process.LoggingLevel = vorlane.LoggingLevelEnum.Warnings
    assert vorlane.LoggingLevelEnum(process.LoggingLevel) is vorlane.LoggingLevelEnum.Warnings


def test_lookup_failures_are_the_python_lookup_errors_too(library):
    functions = library.Templates.AddNew().Functions
    with pytest.raises(IndexError) as error:
        functions[5]
    assert isinstance(error.value, vorlane.ComError)
    assert error.value.hresult == SUBSCRIPT_OUT_OF_RANGE
    collection = vorlane.Collection()
    collection.Add(1, "one")
    with pytest.raises(KeyError) as error:
        collection["two"]
    assert isinstance(error.value, vorlane.ComError)
    assert error.value.hresult == INVALID_PROCEDURE_CALL
    assert str(error.value).startswith("0x800A0005: ")
    # Other codes stay plain ComErrors.
    with pytest.raises(vorlane.ComError) as error:
        collection.Add(2, "one")
    assert not isinstance(error.value, LookupError)


def test_repr_names_the_object_and_help_lists_its_members(library):
    process = library.Templates.AddNew()
    process.Name = "Order"
    step = process.Functions.AddNew()
    step.Caption = "Review"
    assert repr(process) == f"<vorlane object _Process 'Order' {process.ID}>"
    assert repr(step) == f"<vorlane object _ProcFunction 'Review' {step.ID}>"
    assert repr(process.Functions) == "<vorlane object _Functions>"

    shown = pydoc.render_doc(process, renderer=pydoc.plaintext)
    assert "Interface _Process" in shown
    assert "Name -> Text  [property, read and write]" in shown
    assert "Refresh(DeepRefresh=False)  [method]" in shown
    assert "Update()" in shown
    shown = pydoc.render_doc(process.Functions.AddNew, renderer=pydoc.plaintext)
    assert "AddNew(" in shown and "[method]" in shown
    assert vorlane.__version__ == "4.1"


def test_an_update_block_ends_the_bracket_or_cancels_it(tmp_path):
    store = vorlane.open_store(tmp_path / "store.vorlane")  # an os.PathLike
    assert store.path == str(tmp_path / "store.vorlane")
    library = vorlane.create("QXVorlane.Library")
    library.Connection = store.open_session("alice")
    process = library.Templates.AddNew()
    process_id = process.ID
    with process.Update() as same:
        assert same == process and process.InUpdate
        process.Name = "Kept"
    assert not process.InUpdate

    with pytest.raises(RuntimeError):
        with process.update():  # names bind without regard to case, as members do
            process.Name = "Dropped"
            raise RuntimeError("the script failed")
    assert not process.InUpdate
    reader = vorlane.create("QXVorlane.Library")
    reader.Connection = store.open_session("bob")
    assert reader.GetProcess(process_id, True).Name == "Kept"
    process.Refresh(True)
    assert process.Name == "Kept"
