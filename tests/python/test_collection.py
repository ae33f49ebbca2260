"""A dispatch object end to end: the runtime's keyed collection."""

import pytest

import vorlane

DUPLICATE_KEY = 0x800A01C9
BAD_POSITION = 0x800A0009
MISSING_KEY = 0x800A0005
TYPE_MISMATCH = 0x800A000D
MEMBER_NOT_FOUND = 0x80020003
PARAM_NOT_FOUND = 0x80020004
BAD_PARAM_COUNT = 0x8002000E
NOT_REGISTERED = 0x80040154


def filled():
    c = vorlane.Collection()
    c.Add("one")
    c.Add("two", "Second")
    c.Add("three", "Третий")
    return c


def test_add_count_and_item_by_position_and_key():
    c = filled()
    assert c.Count == 3
    assert len(c) == 3
    assert [c.Item(1), c.Item(2), c.Item(3)] == ["one", "two", "three"]
    assert c.Item("second") == "two"
    assert c.Item("SECOND") == "two"
    assert c.Item("третий") == "three"
    assert c[1] == "one"
    assert c["Second"] == "two"
    assert c(3) == "three"


def test_member_names_bind_without_regard_to_case():
    c = vorlane.Collection()
    c.add(1)
    c.ADD(2, "k")
    assert c.count == 2
    assert c.iTeM("K") == 2


def test_iteration_runs_in_insertion_order_over_a_snapshot():
    c = filled()
    seen = []
    for value in c:
        seen.append(value)
        c.Add("added during the loop")
    assert seen == ["one", "two", "three"]
    assert len(c) == 6
    assert list(vorlane.Collection()) == []


def test_remove_by_position_and_by_key_keeps_the_keys_in_step():
    c = filled()
    c.Remove(1)
    assert list(c) == ["two", "three"]
    assert c.Item("second") == "two"
    c.Remove("SECOND")
    assert list(c) == ["three"]
    assert c.Item("Третий") == "three"
    c.Add("again", "second")
    assert c["second"] == "again"


@pytest.mark.parametrize(
    "call, code",
    [
        (lambda c: c.Add("x", "second"), DUPLICATE_KEY),
        (lambda c: c.Item(0), BAD_POSITION),
        (lambda c: c.Item(4), BAD_POSITION),
        (lambda c: c[-1], BAD_POSITION),
        (lambda c: c.Remove(4), BAD_POSITION),
        (lambda c: c.Item("absent"), MISSING_KEY),
        (lambda c: c.Remove("absent"), MISSING_KEY),
        (lambda c: c.Item(vorlane.Null), TYPE_MISMATCH),
        (lambda c: c.Item(), PARAM_NOT_FOUND),
        (lambda c: c.Add(1, "a", "b"), BAD_PARAM_COUNT),
        (lambda c: setattr(c, "Count", 5), MEMBER_NOT_FOUND),
        (lambda c: c.__setitem__(1, "x"), MEMBER_NOT_FOUND),
    ],
)
def test_failures_raise_com_error_with_the_runtime_code(call, code):
    c = filled()
    with pytest.raises(vorlane.ComError) as raised:
        call(c)
    assert raised.value.hresult == code
    assert str(raised.value).startswith("0x%08X: " % code)
    assert len(c) == 3, "a failed call changes nothing"


def test_com_error_carries_code_source_and_description():
    e = vorlane.ComError(DUPLICATE_KEY)
    assert (e.hresult, e.source) == (DUPLICATE_KEY, "")
    assert e.description == "This key is already associated with an element of this collection"
    assert isinstance(e, Exception)
    # A signed spelling of a code is the same code.
    assert vorlane.ComError(-2146827831, "src", "text").hresult == DUPLICATE_KEY
    assert repr(vorlane.ComError(5, "src", "text")) == "ComError(0x00000005, 'src', 'text')"


def test_proxies_of_one_object_are_equal_and_hash_alike():
    outer = vorlane.Collection()
    inner = vorlane.Collection()
    outer.Add(inner)
    outer.Add(inner, "again")
    first, second = outer[1], outer["again"]
    assert first is not second
    assert first == second == inner
    assert hash(first) == hash(inner)
    assert len({first, second, inner}) == 1
    assert inner != outer
    assert inner != "text" and inner is not None
    assert bool(vorlane.Collection()), "a proxy is an object, even an empty one"


def test_keyword_arguments_name_parameters():
    c = vorlane.Collection()
    c.Add("v", key="K")
    c.Add(Item="w")
    assert c["k"] == "v" and c[2] == "w"
    with pytest.raises(TypeError):
        c.Add("x", Nope=1)
    with pytest.raises(TypeError):
        c.Add("x", item="y")


def test_unknown_members_are_attribute_errors():
    c = vorlane.Collection()
    assert not hasattr(c, "Nope")
    assert getattr(c, "Nope", 7) == 7
    with pytest.raises(AttributeError):
        c.Nope = 1
    with pytest.raises(AttributeError):
        c.__array__


def test_repr_and_dir_name_the_interface_and_its_members():
    c = vorlane.Collection()
    assert repr(c) == "<vorlane object _Collection>"
    # A bound method is named as the interface spells the member.
    assert repr(c.remove) == "<vorlane method _Collection.Remove>"
    assert {"Add", "Count", "Item", "Remove", "NewEnum"} <= set(dir(c))


def test_create_makes_registered_classes():
    c = vorlane.create("QXVorlane.Collection")
    assert repr(c) == "<vorlane object _Collection>"
    c.Add(1)
    assert list(c) == [1]
    by_id = vorlane.create("{8D4E2A71-3C5B-4F19-A0E6-2B7D9C41F853}")
    assert repr(by_id) == "<vorlane object _Collection>" and by_id != c
    with pytest.raises(vorlane.ComError) as raised:
        vorlane.create("QXVorlane.NoSuchClass")
    assert raised.value.hresult == NOT_REGISTERED


def test_proxies_cannot_be_made_from_python():
    with pytest.raises(TypeError):
        vorlane.Object()
    with pytest.raises(TypeError):
        type(vorlane.Null)()
