"""Values across the bridge: each goes into a collection and is read back."""

import copy
import datetime
import math
import pickle

import pytest

import vorlane


def round_trip(value):
    c = vorlane.Collection()
    c.Add(value, "k")
    back = c.Item("k")
    assert len(list(c)) == 1
    return back


@pytest.mark.parametrize(
    "value",
    [
        0,
        -(2**31),
        2**31 - 1,
        1.5,
        -0.1,
        1e300,
        "",
        "Привет, мир",
        "emoji 😀 and tab\t",
        True,
        False,
        datetime.datetime(2026, 12, 8, 10, 30, 15),
        datetime.datetime(1850, 6, 1, 18, 0, 0),
        datetime.datetime(1899, 12, 30),
    ],
)
def test_plain_values_come_back_equal_and_of_their_type(value):
    back = round_trip(value)
    assert back == value
    assert type(back) is type(value)


def test_empty_and_null():
    assert round_trip(None) is None
    assert round_trip(vorlane.Null) is vorlane.Null
    assert not vorlane.Null
    assert repr(vorlane.Null) == "vorlane.Null"
    assert copy.deepcopy(vorlane.Null) is vorlane.Null
    assert pickle.loads(pickle.dumps(vorlane.Null)) is vorlane.Null


def test_nan_and_infinity_cross_as_doubles():
    assert math.isnan(round_trip(float("nan")))
    assert round_trip(float("-inf")) == float("-inf")


def test_ints_outside_32_bits_overflow():
    for n in (2**31, -(2**31) - 1, 10**30):
        with pytest.raises(OverflowError):
            vorlane.Collection().Add(n)


def test_int_subclasses_cross_as_ints():
    import enum

    class Kind(enum.IntEnum):
        A = 7

    back = round_trip(Kind.A)
    assert back == 7 and type(back) is int


def test_dates_become_datetimes_to_the_second():
    assert round_trip(datetime.date(2026, 2, 28)) == datetime.datetime(2026, 2, 28)
    assert round_trip(datetime.datetime(2026, 1, 1, 0, 0, 0, 600000)) == datetime.datetime(2026, 1, 1, 0, 0, 1)
    assert round_trip(datetime.datetime(2026, 1, 1, 23, 59, 59, 700000)) == datetime.datetime(2026, 1, 2)


@pytest.mark.parametrize(
    "value",
    [
        datetime.datetime(2026, 1, 1, tzinfo=datetime.timezone.utc),
        datetime.date(99, 12, 31),
    ],
)
def test_dates_the_runtime_cannot_hold_are_refused(value):
    with pytest.raises(ValueError):
        vorlane.Collection().Add(value)


def test_lists_and_tuples_become_arrays_and_come_back_as_lists():
    value = [1, "два", [2.5, None, [True]], (vorlane.Null,)]
    back = round_trip(value)
    assert back == [1, "два", [2.5, None, [True]], [vorlane.Null]]
    assert round_trip(()) == []


def test_a_list_that_contains_itself_is_refused():
    loop = [1]
    loop.append(loop)
    with pytest.raises(RecursionError):
        vorlane.Collection().Add(loop)


def test_objects_come_back_as_the_same_object():
    inner = vorlane.Collection()
    inner.Add("inside")
    back = round_trip(inner)
    assert back == inner
    assert back[1] == "inside"
    assert round_trip([inner])[0] == inner


def test_text_that_is_not_utf8_survives_a_round_trip():
    assert round_trip("bad byte \udcff") == "bad byte \udcff"


def test_error_values_cross_as_com_error_instances():
    back = round_trip(vorlane.ComError(0x800A0005))
    assert isinstance(back, vorlane.ComError)
    assert back.hresult == 0x800A0005


@pytest.mark.parametrize("value", [{"a": 1}, b"bytes", 1j, {1, 2}])
def test_values_without_an_automation_form_are_type_errors(value):
    c = vorlane.Collection()
    with pytest.raises(TypeError):
        c.Add(value)
    assert len(c) == 0


def test_none_for_an_object_parameter_is_nothing(source):
    assert source.Target is None
    inner = vorlane.Collection()
    source.Target = inner
    assert source.Target == inner
    source.Target = None
    assert source.Target is None
    with pytest.raises(vorlane.ComError) as raised:
        source.Target = 5
    assert raised.value.hresult == 0x800A000D


def test_any_other_python_object_crosses_as_an_object_reached_by_name():
    class Host:
        def __init__(self):
            self.asked = []
            self.Caption = "start"

        def ShowMessage(self, caption, text):
            self.asked.append((caption, text))
            return 6

    host = Host()
    c = vorlane.Collection()
    c.Add(host, key="host")
    # The collection gives back the runtime's object over it, and members
    # called through the runtime reach the Python object's.
    back = c["host"]
    assert back.ShowMessage("Title", "Текст") == 6
    assert host.asked == [("Title", "Текст")]
    assert back.Caption == "start"
