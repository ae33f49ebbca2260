"""Builds an order-approval process template on a store, through the vorlane
module, the way a script of the system does it.

    python3 examples/order_approval.py --store store.vorlane

prints the new template's ID on its last line.
"""
import argparse

import vorlane

# Function and gate types of the store's dictionaries.
START = "{2E0A9AAF-CC20-46CD-875E-F3987718C551}"
TASK = "{2B262D6F-6195-44DE-A0CC-A60129BBCF99}"
CONDITION = "{9B22FD0E-5FAF-44E4-8C28-274470DC1C85}"
FINISH = "{E1C766C6-94E0-48D3-8150-82E5B66B43FB}"
PROCESS_GATE = "{00000000-0000-0000-0000-000000000000}"

# VarTypeEnum and LinkTypeEnum values.
STRING, FLOAT = 3, 2
LINK_SUCCESS, LINK_FAIL = 0, 1


def add_function(process, caption, type_id, x, y):
    f = process.Functions.AddNew()
    f.Caption = caption
    f.TypeID = type_id
    f.XPos, f.YPos, f.Width, f.Height = x, y, 120, 60
    return f


def link(process, source, destination, kind=LINK_SUCCESS):
    l = process.Links.AddNew()
    l.Source = source.ID
    l.Destination = destination.ID
    l.LinkType = kind
    return l


def add_variable(process, name, var_type, value=None, values=()):
    v = process.Variables.AddNew()
    v.Name = name
    v.VarType = var_type
    if values:
        v.IsMultipleValued = True
        for item in values:
            v.Values.AddNew(item)
    else:
        v.Value = value
    return v


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--store", required=True, help="the store file")
    parser.add_argument("--user", default="demo", help="the account to act as")
    args = parser.parse_args()

    session = vorlane.open_store(args.store).open_session(
        account=args.user, groups=["Korvessa Workflow Process Creators"])
    library = vorlane.create("QXVorlane.Library")
    library.Connection = session

    process = library.Templates.AddNew()
    process.BeginUpdate()  # the whole template is written at once, or not at all
    process.Name = "Order approval"
    process.Version = "4.1"  # this version of the module, as the card writes it
    process.BuildNumber = 1316
    process.Description = "An order is reviewed; large amounts need an approver's decision."

    start = add_function(process, "Order received", START, 40, 120)
    review = add_function(process, "Review the order", TASK, 220, 120)
    decide = add_function(process, "Amount over the limit?", CONDITION, 400, 120)
    approve = add_function(process, "Approve", TASK, 580, 40)
    reject = add_function(process, "Reject", TASK, 580, 200)
    finish = add_function(process, "Done", FINISH, 760, 120)
    gate = process.Gates.AddNew()
    gate.Caption = "Order data"
    gate.TypeID = PROCESS_GATE

    link(process, start, review)
    link(process, review, decide)
    link(process, decide, approve)
    link(process, decide, reject, LINK_FAIL)
    link(process, approve, finish)
    link(process, reject, finish)

    add_variable(process, "Order number", STRING, "PO-2026-0117")
    add_variable(process, "Amount", FLOAT, 1250.5)
    add_variable(process, "Approver", STRING, values=["ann", "bob"])

    # Each step keeps a record of its passes; the review starts with one.
    review.States.AddNew()
    process.EndUpdate()

    print(f"Built template {process.Name!r}: {process.Functions.Count} functions, "
          f"{process.Gates.Count} gate, {process.Links.Count} links, {process.Variables.Count} variables.")
    print(process.ID)


if __name__ == "__main__":
    main()
