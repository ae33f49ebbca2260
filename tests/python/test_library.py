"""The object model as a script reaches it: the Library created by its ProgID
from the registered library, over a session of a store in memory."""

import sys

import pytest

import vorlane

OBJECT_NOT_SET = 0x800A005B
LIBRARY_ERROR = 0x80040000
ERROR, WARNING, INFORMATION = 0, 1, 2


@pytest.fixture
def store():
    return vorlane.open_store()


@pytest.fixture
def library(store):
    library = vorlane.create("QXVorlane.Library")
    library.Connection = store.open_session("alice")
    return library


def test_the_library_comes_from_its_registered_module():
    # No module of this process carries the object model: creating the
    # Library has to load it through the class registry's file.
    assert "vorlane_process_support" not in sys.modules
    library = vorlane.create("QXVorlane.Library")
    assert vorlane.create("{0709D72F-9E52-47B0-B841-BE264CC5C3E6}") != library
    with pytest.raises(vorlane.ComError) as error:
        library.Templates
    assert error.value.hresult == OBJECT_NOT_SET


def test_a_script_makes_a_template_and_an_instance_and_reads_the_log_through_a_reader(store, library):
    template = library.Templates.AddNew()
    template.Name = "Order"
    start = template.Functions.AddNew()
    start.Caption = "Start"

    instance = library.CreateProcess(template.ID)
    assert instance.IsTemplate is False
    assert instance.TemplateProcess == template.ID
    assert instance.Digest == "Order (stopped)"
    assert instance.Functions.Count == 1

    log = instance.LogMessages
    log.AddNew(INFORMATION, "Started", FunctionName="Start")
    log.AddNew(WARNING, "Waited", 3, "Approve", Message="The approver is away.")
    log.AddNew(ERROR, "Failed", Priority=5, InputParameters="amount=12")

    # Another session finds the instance by the search and reads its log.
    reader_library = vorlane.create("QXVorlane.Library")
    reader_library.Connection = store.open_session("bob")
    instances = reader_library.Instances
    assert [p.ID for p in instances] == [instance.ID]
    reader = instances[1].GetLogReader()
    assert reader.Closed is False
    read = []
    while reader.Read():
        m = reader.Current
        read.append((m.ActionType, m.Action, m.Priority, m.FunctionName, m.Message, m.InputParameters))
    assert read == [
        (INFORMATION, "Started", 0, "Start", "", ""),
        (WARNING, "Waited", 3, "Approve", "The approver is away.", ""),
        (ERROR, "Failed", 5, "", "", "amount=12"),
    ]
    assert reader.Closed is True
    assert reader.Current is None
    assert reader.ReadCount == 3
    assert reader.GetLogMessage(2).Action == "Waited"
    with pytest.raises(vorlane.ComError):
        reader.GetLogMessage(4)


def test_creating_from_an_instance_is_refused(library):
    instance = library.CreateProcess(library.Templates.AddNew().ID)
    with pytest.raises(vorlane.ComError) as error:
        library.CreateProcess(instance.ID)
    assert error.value.hresult == LIBRARY_ERROR
    assert "Unable to create process from process instance" in str(error.value)


def test_the_dictionary_and_the_settings(store, library):
    functions = library.Dictionary.Functions
    assert functions.Count == 6
    assert functions["2b262d6f-6195-44de-a0cc-a60129bbcf99"].Name == "Task"
    gates = [g.Name for g in library.Dictionary.Gates if g.AddGateInNewProcess]
    assert gates == ["Process", "Cards"]

    settings = library.UserSettings
    assert settings.ImportWithSubprocesses is False
    settings.ExportWithSubprocesses = True
    later = vorlane.create("QXVorlane.Library")
    later.Connection = store.open_session("alice")
    assert later.UserSettings.ExportWithSubprocesses is True


def test_log_classes_made_by_a_script_have_nothing_under_them():
    members = {"LogMessages": "Count", "LogMessage": "Action", "LogValues": "Count", "LogValue": "Value"}
    for name, member in members.items():
        orphan = vorlane.create("QXVorlane." + name)
        with pytest.raises(vorlane.ComError) as error:
            getattr(orphan, member)
        assert error.value.hresult == OBJECT_NOT_SET, name
