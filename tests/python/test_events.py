"""Events: Python objects as sinks of a C++ event source (vorlane_test_support)."""

import datetime
import gc
import weakref

import pytest

import vorlane
import vorlane_test_support

NO_INTERFACE = 0x80004002
NO_CONNECTION = 0x80040200
FAIL = 0x80004005
TYPE_MISMATCH = 0x800A000D


class Recorder:
    def __init__(self):
        self.calls = []

    def Changed(self, name, value):
        self.calls.append((name, value))


def test_a_sink_receives_the_events_it_handles(source):
    sink = Recorder()
    cookie = vorlane.advise(source, sink)
    assert isinstance(cookie, int) and cookie > 0
    assert source.SinkCount == 1
    source.Fire("Caption", 5)
    source.Fire("Изменено", [1, "два"])
    assert sink.calls == [("Caption", 5), ("Изменено", [1, "два"])]
    # Closing has no handler on this sink: it is ignored.
    source.FireClosing()


def test_handler_names_bind_without_regard_to_case(source):
    class Lower:
        seen = []

        def changed(self, name, value):
            self.seen.append(name)

        def CLOSING(self):
            self.seen.append("closing")

    sink = Lower()
    vorlane.advise(source, sink)
    source.Fire("x", None)
    source.FireClosing()
    assert sink.seen == ["x", "closing"]


def test_sinks_are_called_in_order_until_unadvised(source):
    order = []

    class Named:
        def __init__(self, name):
            self.name = name

        def Changed(self, name, value):
            order.append(self.name)

    first = vorlane.advise(source, Named("first"))
    second = vorlane.advise(source, Named("second"))
    source.Fire("a", 1)
    vorlane.unadvise(source, first)
    source.Fire("b", 2)
    assert order == ["first", "second", "second"]
    with pytest.raises(vorlane.ComError) as raised:
        vorlane.unadvise(source, first)
    assert raised.value.hresult == NO_CONNECTION
    vorlane.unadvise(source, second)
    assert source.SinkCount == 0


def test_event_arguments_cross_as_values(source):
    inner = vorlane.Collection()
    sink = Recorder()
    vorlane.advise(source, sink)
    when = datetime.datetime(2026, 12, 8, 9, 0)
    source.Fire("when", when)
    source.Fire("object", inner)
    source.Fire("null", vorlane.Null)
    assert sink.calls[0] == ("when", when)
    assert sink.calls[1][1] == inner
    assert sink.calls[2][1] is vorlane.Null


def test_an_outgoing_interface_is_chosen_by_name_or_iid(source):
    notices = []

    class Both(Recorder):
        def Notice(self, text):
            notices.append(text)

    sink = Both()
    by_name = vorlane.advise(source, sink, "_testsourcenotices")
    source.Notify("first")
    source.Fire("changed", 1)
    assert notices == ["first"] and sink.calls == []
    # Cookies belong to their interface.
    vorlane.unadvise(source, by_name, "_TestSourceNotices")
    vorlane.advise(source, sink, "{6B1E2F40-93C7-4D58-A1E2-7F3C0B9D5A11}")
    source.Fire("changed", 2)
    source.Notify("second")
    assert notices == ["first"] and sink.calls == [("changed", 2)]
    with pytest.raises(vorlane.ComError) as raised:
        vorlane.advise(source, sink, "_NoSuchEvents")
    assert raised.value.hresult == NO_CONNECTION


def test_an_object_without_events_cannot_be_advised():
    with pytest.raises(vorlane.ComError) as raised:
        vorlane.advise(vorlane.Collection(), Recorder())
    assert raised.value.hresult == NO_INTERFACE


def test_a_python_exception_in_a_sink_reaches_the_raiser_as_com_error(source):
    class Failing:
        def Changed(self, name, value):
            raise ValueError("bad value " + name)

    vorlane.advise(source, Failing())
    # What the C++ raiser caught:
    assert source.TryFire("x", 1) == "Python|0x80004005: ValueError: bad value x"
    # And what the Python caller of the raiser sees:
    with pytest.raises(vorlane.ComError) as raised:
        source.Fire("y", 1)
    assert raised.value.hresult == FAIL
    assert raised.value.source == "Python"
    assert raised.value.description == "ValueError: bad value y"


def test_a_com_error_raised_in_a_sink_keeps_its_code(source):
    class Refusing:
        def Changed(self, name, value):
            raise vorlane.ComError(0x800A0005, "Refusing", "not " + name)

    vorlane.advise(source, Refusing())
    assert source.TryFire("now", 1) == "Refusing|0x800A0005: not now"
    with pytest.raises(vorlane.ComError) as raised:
        source.Fire("later", 1)
    assert (raised.value.hresult, raised.value.description) == (0x800A0005, "not later")


def test_every_sink_hears_the_event_and_the_first_failure_comes_last(source):
    earlier, later = Recorder(), Recorder()

    class Failing:
        def __init__(self, text):
            self.text = text

        def Changed(self, name, value):
            raise RuntimeError(self.text)

    vorlane.advise(source, earlier)
    vorlane.advise(source, Failing("first"))
    vorlane.advise(source, later)
    vorlane.advise(source, Failing("second"))
    assert source.TryFire("x", 1).startswith("Python|0x80004005: RuntimeError: first")
    assert earlier.calls == later.calls == [("x", 1)]


def test_a_handler_result_without_automation_form_fails_the_event(source):
    class Odd:
        def Changed(self, name, value):
            return {"not": "a value"}

    vorlane.advise(source, Odd())
    assert source.TryFire("x", 1).startswith("Python|0x800A000D")


def test_a_sink_may_use_the_source_and_disconnect_itself_during_an_event(source):
    class Once:
        def __init__(self):
            self.counts = []

        def Changed(self, name, value):
            self.counts.append(source.SinkCount)
            vorlane.unadvise(source, self.cookie)

    sink = Once()
    sink.cookie = vorlane.advise(source, sink)
    source.Fire("a", 1)
    source.Fire("b", 2)
    assert sink.counts == [1]
    assert source.SinkCount == 0


def test_sources_and_sinks_are_released():
    gc.collect()
    live = vorlane_test_support.live_sources()
    source = vorlane.create("QXVorlaneTest.EventSource")
    sink = Recorder()
    gone = weakref.ref(sink)
    cookie = vorlane.advise(source, sink)
    del sink
    assert gone() is not None, "the source holds its sink"
    vorlane.unadvise(source, cookie)
    assert gone() is None

    sink = Recorder()
    gone = weakref.ref(sink)
    vorlane.advise(source, sink)
    fire = source.Fire
    del sink, source
    assert vorlane_test_support.live_sources() == live + 1, "a bound method holds its object"
    fire("last", 1)
    assert gone().calls == [("last", 1)]
    del fire
    assert vorlane_test_support.live_sources() == live
    assert gone() is None, "a source that goes lets its sinks go"


def test_the_source_proxy_describes_itself(source):
    assert repr(source) == "<vorlane object _TestSource>"
    assert {"Fire", "FireClosing", "Notify", "TryFire", "SinkCount"} <= set(dir(source))
    with pytest.raises(TypeError):
        len(source)
    with pytest.raises(TypeError):
        iter(source)
    assert source != vorlane.create("QXVorlaneTest.EventSource")


def test_an_object_without_a_description_is_reached_by_name():
    vorlane_test_support  # its import registered the class
    obj = vorlane.create("QXVorlaneTest.Dynamic")
    assert repr(obj) == "<vorlane object>"
    assert dir(obj) == []
    assert obj.Value is None
    obj.value = "Значение"
    assert obj.VALUE == "Значение"
    assert obj.Twice(21) == 42
    assert not hasattr(obj, "Nope")
    with pytest.raises(TypeError):
        obj.Twice(1, Extra=2)
