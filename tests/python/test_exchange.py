"""A process exported to an XML file and imported into a new template, from a script."""

import pytest

import vorlane
import vorlane_process_support  # noqa: F401  (the object model's classes, in this process)

PROCESS = "{AE82DD57-348C-4407-A50A-9F2C7D694DA8}"
DOCUMENT = "{BFC9D190-BCD6-411A-B9F9-3160D3F68819}"
TEMPLATE = 1  # CreateCardData flag
NO_PROCESS = 0x80040001


@pytest.fixture
def world():
    session = vorlane.open_store().open_session(account="alice")
    library = vorlane.create("QXVorlane.Library")
    library.Connection = session
    return session, library


def new_template(session):
    return session.GetCardManager().CreateCardData(PROCESS, TEMPLATE)


def test_a_process_exported_to_a_file_imports_into_a_new_template(world, tmp_path):
    session, library = world
    card = new_template(session)
    process = library.GetProcess(card.GetID(), True)
    process.Name = "Заявка на отпуск"
    document = session.GetCardManager().CreateCardData(DOCUMENT, 0)
    task = process.Functions.AddNew()
    task.Caption = "Согласовать"
    task.CardID = document.GetID()
    task.Data = ("ж" * 63 + "\n") * 40  # longer than a row holds
    amount = process.Variables.AddNew()
    amount.VarType = 1  # Integer
    amount.Value = 14
    gate = process.Gates.AddNew()
    link = process.Links.AddNew()
    link.Source = task.ID
    link.Destination = gate.ID

    path = tmp_path / "process.xml"
    exporter = vorlane.create("QXVorlane.ProcessImportExport")
    exporter.ExportProcess(session, card, str(path))
    text = path.read_text(encoding="utf-8")
    assert text.startswith("<?xml")
    assert "CardIDCardData" in text

    target = new_template(session)
    created = vorlane.Collection()
    vorlane.create("QXVorlane.ProcessImportExport").ImportProcess(session, target, str(path), "", created)

    copy = library.GetProcess(target.GetID(), True)
    assert copy.Name == "Заявка на отпуск"
    assert target.GetDescription() == "Заявка на отпуск"
    assert copy.IsTemplate
    imported = copy.Functions[1]
    assert imported.ID == task.ID
    assert imported.Data == task.Data
    assert copy.Variables[1].Value == 14
    assert copy.Links[1].Destination == gate.ID
    # The linked document came as a new card, and the function points at it.
    assert len(created) == 1
    assert imported.CardID == created[1]
    assert imported.CardID != document.GetID()


def test_a_file_that_holds_no_process_is_refused_and_changes_nothing(world, tmp_path):
    session, library = world
    card = new_template(session)
    library.GetProcess(card.GetID(), True).Name = "Mine"
    before = card.GetXML(False)
    path = tmp_path / "not_a_process.xml"
    path.write_text("<Data><Other/></Data>", encoding="utf-8")
    with pytest.raises(vorlane.ComError) as refused:
        vorlane.create("QXVorlane.ProcessImportExport").ImportProcess(session, card, str(path))
    assert refused.value.hresult == NO_PROCESS
    assert refused.value.description == "Specified data does not contain business-process."
    assert card.GetXML(False) == before
