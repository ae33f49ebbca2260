"""A process graph built by name through dispatch on a template made through
the Library, and read back by another process over the same card."""

import vorlane

LINK_SUCCESS, LINK_FAIL = 0, 1
FUNC_NON_ACTIVE, FUNC_DONE = 0, 3


def test_a_graph_built_by_name_reads_back_from_another_process():
    store = vorlane.open_store()
    library = vorlane.create("QXVorlane.Library")
    library.Connection = store.open_session("alice")
    dictionary = library.Dictionary.Functions
    start_type = next(t.ID for t in dictionary if t.IsStart)
    task_type = next(t.ID for t in dictionary if t.Name == "Task")

    template = library.Templates.AddNew()
    template.Name = "Approval"
    start = template.Functions.AddNew()
    start.Caption = "Start"
    start.TypeID = start_type
    start.XPos = 10.5
    approve = template.Functions.AddNew()
    approve.Caption = "Approve"
    approve.TypeID = task_type
    approve.Width = 120
    gate = template.Gates.AddNew()
    gate.Caption = "Cards"
    gate.TypeID = library.Dictionary.Gates.Item(2).ID
    link = template.Links.AddNew()
    link.Source = start.ID
    link.Destination = approve.ID
    link.LinkType = LINK_SUCCESS
    back = template.Links.AddNew()
    back.Source = approve.ID
    back.Destination = start.ID
    back.LinkType = LINK_FAIL
    back.Disabled = True
    first = approve.States.AddNew()
    second = approve.States.AddNew()
    # A function's new settings reach each of its pass states.
    approve.Data = "<Task Role='Manager'/>"
    second.State = FUNC_DONE
    second.HasWarnings = True

    # A second library on another session opens the card anew: what it
    # reads is what was written.
    other = vorlane.create("QXVorlane.Library")
    other.Connection = store.open_session("bob")
    process = other.GetProcess(template.ID, True)
    assert process != template
    assert process.Name == "Approval"
    assert [f.Caption for f in process.Functions] == ["Start", "Approve"]
    assert process.Functions[start.ID.lower()].XPos == 10.5
    approve_again = process.Functions[approve.ID]
    assert approve_again.TypeID == task_type
    assert approve_again.Data == "<Task Role='Manager'/>"
    assert approve_again.Width == 120
    assert [(l.Source, l.Destination, l.LinkType, l.Disabled) for l in process.Links] == [
        (start.ID, approve.ID, LINK_SUCCESS, False),
        (approve.ID, start.ID, LINK_FAIL, True),
    ]
    assert process.Gates.Count == 1
    assert process.Gates[gate.ID].Caption == "Cards"
    states = approve_again.States
    assert [(s.Pass, s.State, s.HasWarnings, s.Data) for s in states] == [
        (0, FUNC_NON_ACTIVE, False, "<Task Role='Manager'/>"),
        (1, FUNC_DONE, True, "<Task Role='Manager'/>"),
    ]
    assert states[first.ID].Pass == 0

    # A removal through one process shows in the other after its Refresh.
    template.Links.Remove(back.ID)
    assert process.Links.Count == 2
    process.Refresh(True)
    assert process.Links.Count == 1
