"""The card control hosted by a script: the frame and the host's services
are plain Python objects, and the card reaches them by name."""
import vorlane

START = "{2E0A9AAF-CC20-46CD-875E-F3987718C551}"
CREATORS = "Korvessa Workflow Process Creators"
FOLDER_TYPE = "{DA86FABF-4DD7-4A86-B6FF-C58C24D12DE2}"
YES, NO, CANCEL = 6, 7, 2


class Services:
    """The host's services: answers as a person would, and remembers."""

    def __init__(self, folder_card):
        self.folder_card = folder_card
        self.messages = []
        self.folder = ""
        self.instance_answer = 1

    def ShowMessage(self, caption, text, details, icon, buttons, owner=0):
        self.messages.append(text)
        return YES

    def SelectFolder(self, prompt, flags, initial=""):
        return self.folder

    def GetFolderCardID(self):
        return self.folder_card

    def ShowInstanceDialog(self, process):
        self.name_seen = process.Name
        return self.instance_answer


class Frame:
    def __init__(self, services):
        self.services = services
        self.caption = None
        self.closed = False

    def GetPellory(self):
        return self.services

    def SetCaption(self, caption):
        self.caption = caption

    def CloseCard(self):
        self.closed = True

    def GetFrameValue(self):
        return 0


def test_a_script_hosts_a_card_and_answers_its_questions():
    store = vorlane.open_store()
    session = store.open_session("alice", groups=[CREATORS])
    library = vorlane.create("QXVorlane.Library")
    library.Connection = session
    template = library.Templates.AddNew()
    template.Name = "Order approval"
    template.Version = "4.1"
    template.BuildNumber = 1316
    start = template.Functions.AddNew()
    start.Caption = "Start"
    start.TypeID = START

    cards = session.GetCardManager()
    services = Services(cards.GetDictionaryData(FOLDER_TYPE).GetID())
    services.folder = cards.GetDictionaryObject(FOLDER_TYPE).GetRootFolder().GetID()
    frame = Frame(services)

    card = vorlane.create("QXProcess.Card")
    card.Init(session, cards.GetCardData(template.ID))
    card.Load(frame)
    assert card.QueryActivate(services, 1) == 0x4001
    card.Activate(1)
    assert frame.caption == "Order approval - Business process"
    assert card.Controls("sbMain").Panels("Mode").Text == "Edit"
    toolbar = card.Controls("tbMain")
    assert toolbar.Buttons("Execute").Visible and not toolbar.Buttons("Start").Visible

    card.ButtonClick("Execute")
    assert services.name_seen == "Process instance Order approval"
    assert services.messages[-1] == "Business-process has been successfully created."
    assert library.Instances.Count == 1
    assert library.Instances(1).State == 1  # running

    assert card.QueryClose() == 1
    card.Close()
    card.Unload()
