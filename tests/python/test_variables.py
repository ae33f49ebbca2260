"""Variables of a process seen from a script: values, and the notificator's events."""

import pytest

import vorlane
import vorlane_process_support  # noqa: F401  (registers the process harness)

OBJECT_NOT_SET = 0x800A005B
# The property's name has the Cyrillic "с" (U+0441) as its seventh letter.
NOTIFICATOR = "Notifi\u0441ator"


class Heard:
    def __init__(self):
        self.changed = []
        self.removed = []

    def ValueChanged(self, variable_id):
        self.changed.append(variable_id)

    def VariableRemoved(self, variable_id):
        self.removed.append(variable_id)


@pytest.fixture
def process():
    return vorlane.create("QXVorlaneTest.ProcessHarness").NewProcess()


def test_a_script_hears_the_changes_of_its_own_writes(process):
    heard = Heard()
    notificator = getattr(process, NOTIFICATOR)
    cookie = vorlane.advise(notificator, heard)
    variable = process.Variables.AddNew()
    variable_id = variable.ID

    variable.Value = 5
    variable.Value = 5  # the same value: nothing to tell
    variable.Value = "пять"
    variable.Value = vorlane.Null
    assert heard.changed == [variable_id] * 3

    values = variable.Values
    values.AddNew("a")
    values.AddNew("b")
    values.MoveUp(2)  # moves are silent
    assert [v.Value for v in values] == ["b", "a"]
    values.Clear()
    assert heard.changed == [variable_id] * 6

    process.Variables.Remove(1)
    assert heard.removed == [variable_id]

    vorlane.unadvise(notificator, cookie)
    process.Variables.AddNew().Value = 1
    assert len(heard.changed) == 6


def test_the_notificator_is_one_object_for_the_process(process):
    first = getattr(process, NOTIFICATOR)
    process.Refresh()
    assert getattr(process, NOTIFICATOR) == first
    with pytest.raises(AttributeError):
        process.Notificator  # the Latin spelling is not the property's name


def test_long_texts_and_typed_defaults_read_back(process):
    variable = process.Variables.AddNew()
    variable.VarType = 3  # String
    text = "ж" * 1025
    variable.Value = text
    assert variable.Value == text
    variable.VarType = 2  # Float
    variable.DefaultValue = 1.5
    assert variable.DefaultValue == 1.5


def test_enumeration_values_made_by_a_script_are_not_set():
    orphan = vorlane.create("QXVorlane.EnumValues")
    with pytest.raises(vorlane.ComError) as error:
        orphan.Count
    assert error.value.hresult == OBJECT_NOT_SET
