"""Stores and sessions of the embedded platform, driven from Python."""

import pytest

import vorlane

PROCESS = "{AE82DD57-348C-4407-A50A-9F2C7D694DA8}"
MAIN_INFO = "{0ef6bcca-7a09-4027-a3a2-d2eeeca1bf4d}"
FUNCTIONS = "{10105dc1-8b61-4a76-b719-02d679662606}"
REFUSED = 0x80040751
UNKNOWN_CARD = 0x80040540
STORAGE_FAILURE = 0x80040500

CREATORS = ["Korvessa Workflow Process Creators"]


def sessions():
    store = vorlane.open_store()
    alice = store.open_session(account="alice", locale=1033, client_version=1316, groups=CREATORS)
    bob = store.open_session(account="bob", locale=1049)
    return store, alice, bob


def test_a_card_made_in_one_session_is_read_by_field_name_in_another():
    store, alice, bob = sessions()
    card = alice.GetCardManager().CreateCardData(PROCESS, 0)
    main = card.GetSections().Item(MAIN_INFO).GetFirstRow()
    main.SetField("Name", "Заявка")
    main.SetField("State", 2)
    rows = card.GetSections().Item(FUNCTIONS).GetRows()
    for caption in ("Approve", "Sign"):
        rows.AddNew().SetField("Caption", caption)

    seen = bob.GetCardManager().GetCardData(card.GetID().lower())
    row = seen.GetSections().Item(MAIN_INFO).GetFirstRow()
    assert row.GetField("name") == "Заявка"
    assert row.GetField("STATE") == 2
    assert row.GetField("DateBegin") is vorlane.Null
    assert [r.GetField("Caption") for r in seen.GetSections().Item(FUNCTIONS).GetRows()] == ["Approve", "Sign"]
    assert store.path is None


def test_sessions_carry_their_account_locale_and_version():
    _, alice, bob = sessions()
    props = alice.GetProperties()
    assert (props["AccountName"], props["LocaleID"], props["ClientVersion"]) == ("alice", 1033, 1316)
    assert bob.GetProperties()["LocaleID"] == 1049
    assert bob.GetProperties()["ClientVersion"] == 1316  # the default


def test_sessions_see_each_others_locks():
    _, alice, bob = sessions()
    card = alice.GetCardManager().CreateCardData(PROCESS, 0)
    card.Lock()
    theirs = bob.GetCardManager().GetCardData(card.GetID())
    assert theirs.GetLockStatus() == 1
    assert theirs.GetLockOwner() == "alice"
    with pytest.raises(vorlane.ComError) as refused:
        theirs.Lock()
    assert refused.value.hresult == REFUSED
    assert "alice" in bob.GetLastErrorText()


def test_a_session_outlives_the_store_object_it_came_from():
    alice = vorlane.open_store().open_session(account="alice")
    card = alice.GetCardManager().CreateCardData(PROCESS, 0)
    assert alice.GetCardManager().GetCardStatus(card.GetID()) == 1
    with pytest.raises(vorlane.ComError) as unknown:
        alice.GetCardManager().GetCardData("{00000000-0000-0000-0000-000000000001}")
    assert unknown.value.hresult == UNKNOWN_CARD


def test_stores_are_apart():
    first = vorlane.open_store().open_session()
    second = vorlane.open_store().open_session()
    card = first.GetCardManager().CreateCardData(PROCESS, 0)
    assert second.GetCardManager().GetCardStatus(card.GetID()) == 0


@pytest.mark.parametrize(
    "arguments, says",
    [({"account": ""}, "account"), ({"locale": 1234}, "1234")],
)
def test_bad_session_arguments_are_refused(arguments, says):
    store = vorlane.open_store()
    with pytest.raises(ValueError, match=says):
        store.open_session(**arguments)


def test_folders_and_search_come_with_every_store():
    _, alice, _ = sessions()
    cards = alice.GetCardManager()
    card = cards.CreateCardData(PROCESS, 1)  # a template
    tree = cards.GetDictionaryObject("{DA86FABF-4DD7-4A86-B6FF-C58C24D12DE2}")
    root = tree.GetRootFolder()
    root.GetShortcuts().AddShortcut(card.GetID())
    assert root.GetShortcuts()[0] == card.GetID()
    query = (
        '<cardSearch><cardType id="' + PROCESS + '"><section id="' + MAIN_INFO + '">'
        '<condition field="Template" op="equals" value="1"/></section></cardType></cardSearch>'
    )
    assert [c.GetID() for c in cards.FindCards(query)] == [card.GetID()]


def test_stores_on_one_file_share_their_cards(tmp_path):
    path = str(tmp_path / "cards.vorlane")
    first = vorlane.open_store(path)
    assert first.path == path
    alice = first.open_session(account="alice")
    card = alice.GetCardManager().CreateCardData(PROCESS, 0)
    card.GetSections().Item(MAIN_INFO).GetFirstRow().SetField("Name", "kept")
    card_id = card.GetID()
    del card, alice, first

    bob = vorlane.open_store(path).open_session(account="bob")
    row = bob.GetCardManager().GetCardData(card_id).GetSections().Item(MAIN_INFO).GetFirstRow()
    assert row.GetField("Name") == "kept"


def test_a_file_that_is_no_store_is_refused_and_left_alone(tmp_path):
    path = tmp_path / "notes.txt"
    path.write_bytes(b"not a store file")
    with pytest.raises(vorlane.ComError) as refused:
        vorlane.open_store(str(path))
    assert refused.value.hresult == STORAGE_FAILURE
    assert path.read_bytes() == b"not a store file"
    with pytest.raises(ValueError):
        vorlane.open_store("")
