// The card control's binding to its host: the order of the host's calls,
// what each does, the layout, the keys and the timer.
#include <cmath>

#include "card/control/card_object.h"
#include "card/control/toolbar_pictures.h"
#include "card/ui/hour_glass.h"
#include "card/ui/messages.h"
#include "card/window/localize.h"
#include "common/ids.h"
#include "common/module_info.h"
#include "platform/com/describe.h"
#include "platform/com/registry.h"
#include "platform/com/text.h"

namespace card {
namespace {

// Activation answers of QueryActivate.
constexpr int32_t kTakesActivation = 0x4001;
constexpr int32_t kDeclinesActivation = 0x4000;
// The layout's fixed heights and the margin (twips).
constexpr int32_t kToolbarHeight = 420;
constexpr int32_t kStatusBarHeight = 300;
constexpr int32_t kMargin = 60;
constexpr int32_t kTwipsPerPixel = 15;
// The timer's interval (milliseconds).
constexpr int32_t kTimerInterval = 2500;
constexpr int32_t kShiftKey = 16;

// The toolbar's buttons in order: key, tool tip resource number, picture
// key; a separator has no tool tip.
struct ButtonDef {
  const char* key;
  int32_t tip;
  const char* image;
  const char* style;
};
constexpr ButtonDef kButtons[] = {
    {"Save", 1001, "save", "Button"},
    {"Properties", 1003, "props", "Button"},
    {"sep1", 0, "", "Separator"},
    {"Execute", 1002, "execute", "Button"},
    {"Start", 1014, "start", "Button"},
    {"Pause", 1015, "pause", "Button"},
    {"Stop", 1016, "stop", "Button"},
    {"Zoomin", 1004, "zoomin", "Button"},
    {"Zoomout", 1005, "zoomout", "Button"},
    {"ExportToPicture", 1006, "exportpicture", "Button"},
    {"ShowLinkText", 1007, "showlinktext", "Check"},
    {"Export", 1008, "export", "Button"},
    {"Import", 1009, "import", "Button"},
    {"sep2", 0, "", "Separator"},
    {"ParentCard", 1017, "parent", "Button"},
    {"ParentProcess", 1031, "parentprocess", "Button"},
    {"TemplateProcess", 1032, "templateprocess", "Button"},
    {"Log", 1018, "log", "Button"},
    {"Print", 1022, "print", "Button"},
};

}  // namespace

// Hears the designer's Changed event for the card; the card clears it
// before it lets go, so the sink never outlives the card's attention.
class CardObject::DesignerSink final : public com::Object<designer::DesignerEvents> {
 public:
  explicit DesignerSink(CardObject* card) : card_(card) {}
  void Changed() override {
    if (card_) card_->DesignerChanged();
  }
  void Detach() { card_ = nullptr; }

 private:
  CardObject* card_;
};

const com::TypeInfo& CardApi::DispatchInfo() {
  static const com::TypeInfo info = com::Describe<CardApi>("_Card")
                                        .Include(pellory::CardInitialize::DispatchInfo())
                                        .Include(pellory::CardUI::DispatchInfo())
                                        .Include(pellory::CardUIAction::DispatchInfo())
                                        .Include(pellory::CardWindow::DispatchInfo())
                                        .Build();
  return info;
}

CardObject::CardObject()
    : window_(com::Make<Control>("UserControl", "Card")),
      toolbar_(com::Make<Control>("Toolbar", "tbMain")),
      status_(com::Make<Control>("StatusBar", "sbMain")),
      timer_(com::Make<Control>("Timer", "tmrMain")),
      images_(com::Make<Control>("ImageList", "imToolbar")),
      designer_place_(com::Make<Control>("Designer", "Designer")),
      events_(com::Make<com::EventSource>(pellory::CardWindowEvents::DispatchInfo())) {
  // InitProperties: a new control shows its toolbar.
  show_toolbar_ = true;
  for (const auto& [key, svg] : ToolbarPictures()) {
    images_->AddItem("ListImages", "ListImage", std::string(key)).Set("Picture", com::Variant(std::string(svg)));
  }
  images_->Set("ImageWidth", com::Variant(16));
  images_->Set("ImageHeight", com::Variant(16));
  for (const ButtonDef& b : kButtons) {
    Control& button = toolbar_->AddItem("Buttons", "Button", b.key);
    button.Set("Style", com::Variant(b.style));
    button.Set("ToolTipText", com::Variant(b.tip ? std::to_string(b.tip) : std::string("-")));
    button.Set("Image", com::Variant(b.image));
    button.Set("Enabled", com::Variant(true));
    button.Set("Visible", com::Variant(true));
    if (std::string_view(b.style) == "Check") button.Set("Value", com::Variant(0));
  }
  toolbar_->Set("Height", com::Variant(kToolbarHeight));
  status_->AddItem("Panels", "Panel", "Mode").Set("Text", com::Variant(""));
  status_->AddItem("Panels", "Panel", "Folder").Set("Text", com::Variant(""));
  status_->Set("Height", com::Variant(kStatusBarHeight));
  timer_->Set("Enabled", com::Variant(false));
  timer_->Set("Interval", com::Variant(kTimerInterval));
  window_->Set("MousePointer", com::Variant(0));
  // Every change a host draws is heard: the pointer at once (a host shows
  // the hourglass while the card works), the rest when the call ends.
  auto heard = [this](Control& control, std::string_view property) {
    if (&control == window_.get() && property == "MousePointer") {
      events_->Raise(pellory::CardWindowEvents::kWindowChanged, {});
      return;
    }
    window_changed_ = true;
  };
  for (Control* c : {window_.get(), toolbar_.get(), status_.get(), timer_.get(), designer_place_.get()}) {
    c->OnChange(heard);
  }
  designer_sink_ = com::Make<DesignerSink>(this);
}

CardObject::~CardObject() {
  designer_sink_->Detach();
  for (Control* c : {window_.get(), toolbar_.get(), status_.get(), timer_.get(), designer_place_.get()}) {
    c->OnChange(nullptr);
  }
}

// ---- host calls ---------------------------------------------------------------

void CardObject::Init(const com::Variant& session, const com::Variant& card_data) {
  session_ = com::Query<ostrel::Session>(session.ToObject());
  card_data_ = com::Query<ostrel::CardData>(card_data.ToObject());
  update_ = com::Query<ostrel::CardUpdate>(card_data_.get());
  library_ = com::Query<vorlane::Library>(com::CreateObject("QXVorlane.Library"));
  library_->SetConnection(com::Variant(com::Ref<com::Unknown>(static_cast<com::Unknown*>(session_.get()))));
  process_ = nullptr;
  created_ = com::Make<com::KeyedList>();
  session_locale_ = LeadingNumber(SessionProperty("LocaleID").IsEmpty() ? "" : SessionProperty("LocaleID").ToText());
  locked_by_me_ = false;
  deleted_ = false;
  lock_ = com::Query<ostrel::CardLock>(card_data_.get());
}

void CardObject::Load(const com::Variant& frame) {
  frame_ = frame.ToObject();
  const com::Ref<Control> controls[] = {toolbar_, status_};
  LocalizeControls(controls);
  WindowChanged();
}

int32_t CardObject::QueryActivate(const com::Variant&, int32_t flags, const std::string&, const std::string&,
                                  const std::string&, const com::Variant&) {
  const int32_t kind = flags & pellory::activate::kKindMask;
  return kind >= 1 && kind <= 4 ? kTakesActivation : kDeclinesActivation;
}

void CardObject::Activate(int32_t flags, const std::string&, const std::string&, const std::string& folder_id,
                          const com::Variant& params) {
  try {
    ActivateSteps(flags, folder_id, params);
  } catch (const com::Error& e) {
    // Activation shows its failure and leaves the card closed or clean.
    ShowFailure(e, msg::kActivationFailed);
    try {
      if (update_ && update_->GetInUpdate()) update_->CancelUpdate();
    } catch (const com::Error&) {
      // The failure was shown; a bracket that cannot be cancelled now ends
      // with the session.
    }
    modified_ = false;
    saved_ = false;
    if (frame_) CloseCard();
  }
  WindowChanged();
}

void CardObject::ActivateSteps(int32_t flags, const std::string& folder_id, const com::Variant& params) {
  ShowFolder(folder_id);
  kind_ = flags & pellory::activate::kKindMask;
  Designer().Reset();
  saved_ = false;
  new_card_ = (flags & (pellory::activate::kNewCard | pellory::activate::kNewInstance)) != 0;
  modified_ = new_card_;
  folder_id_ = folder_id;

  const bool creator = IsWorkflowCreator();
  if ((flags & pellory::activate::kNewCard) && !creator) {
    ShowMessage(Host(), 0, Message(msg::kCreatorsOnly), pellory::icon::kWarning);
    modified_ = saved_ = false;
    CloseCard();
    return;
  }
  show_toolbar_ = kind_ != pellory::activate::kEmbedded;
  Layout();
  if (!update_->GetInUpdate()) update_->BeginUpdate();

  std::string document_id, file_card_id;
  if (params.type() == com::Variant::Type::Array) {
    const auto& items = *params.TryArray();
    if (!items.empty() && !items[0].IsMissing() && !items[0].IsEmpty()) document_id = items[0].ToText();
    if (items.size() > 1 && !items[1].IsMissing() && !items[1].IsEmpty()) file_card_id = items[1].ToText();
  }
  if (!document_id.empty()) {
    if (card_data_->GetIsTemplate()) {
      // A template started for a document: the instance is the card the
      // host shows; the template stays as it was.
      com::Ref<vorlane::Process> instance = library_->CreateProcess(card_data_->GetID());
      CheckVersion(instance);
      saved_ = true;
      com::CallMethod(frame_.get(), "ShowCard", std::vector{com::Variant(instance->ID()), com::Variant(false)});
      return;
    }
    ApplyInitialDocument(document_id, file_card_id);
    Commit(false);
  }

  if (flags & pellory::activate::kNewCard) {
    card_data_->SetIsTemplate(true);
    InitNewTemplate();
  } else if ((flags & pellory::activate::kNewInstance) || !document_id.empty()) {
    CheckVersion(GetProcess());
    std::string text = Message(msg::kCannotStart);
    if (!ValidateForStart(text)) {
      ShowMessage(Host(), 0, text, pellory::icon::kError);
      modified_ = saved_ = false;
      CloseCard();
      return;
    }
    try {
      IsWorkflowServiceRunning();  // a probe: only whether it can be asked matters
    } catch (const com::Error& e) {
      ShowError(Host(), 0, msg::kServiceUnknown, e, session_.get());
      modified_ = saved_ = false;
      CloseCard();
      return;
    }
    InitializeDesigner();
    InitNewInstance();
    if (params.IsObject()) {
      try {
        com::Variant templ = com::CallMethod(params.ToObject().get(), "Item", std::vector{com::Variant("CardTemplateID")});
        GetProcess()->SetTemplateProcess(templ.ToText());
      } catch (const com::Error&) {
        // Parameters without a template ID leave the instance's own.
      }
    }
    const int32_t answer = Designer().ShowInstanceDialog(com::Variant(com::Ref<com::Unknown>(
                                                              static_cast<com::Unknown*>(GetProcess().get()))),
                                                          true);
    if (answer == 1) {
      Commit(true);
      com::Ref<ostrel::ProcessControl> control = ProcessControlOf(card_data_->GetID());
      com::Query<ostrel::ProcessControlEx>(control.get())->SetStartOption(false);
      control->Start();
      saved_ = true;
      modified_ = false;
      ShowMessage(Host(), 0, Message(msg::kInstanceCreated), pellory::icon::kSuccess);
      CloseCard();
      return;
    }
    if (answer == 2) {
      modified_ = saved_ = false;
      CloseCard();
      return;
    }
    modified_ = true;
  }

  if (CanLock()) TryLock(true, false);
  const bool read_only = IsReadOnly();
  Designer().SetReadOnly(read_only);
  if (kind_ != pellory::activate::kEmbedded) {
    if (read_only) {
      ShowMessageEx(Host(), 0, ReadOnlyReason(), "{B3742C9D-71B4-4CE7-A6B9-ADC51F37321A}", pellory::icon::kWarning,
                    pellory::buttons::kKeyed);
    } else if (!IsWorkflowCreator()) {
      ShowMessageEx(Host(), 0, Message(msg::kLimitedEdit), "{11CEF25C-B6F2-40B1-B6BD-7B43399DD9B0}",
                    pellory::icon::kWarning, pellory::buttons::kKeyed);
    }
  }
  if (!read_only) CheckVersion(GetProcess());
  InitializeDesigner();
  timer_->Set("Enabled", com::Variant(!card_data_->GetIsTemplate()));
  EnableButtons(true);
  UpdateParentCardButton();
  UpdateToolbar();
  UpdateModePanel();
  UpdateCaption();
}

int32_t CardObject::QueryClose() {
  const bool go_on = QuerySaveChanges(false);
  WindowChanged();
  if (!go_on) return 0;
  return saved_ ? 3 : 1;
}

void CardObject::Close() {
  if (!IsReadOnly()) {
    try {
      ReleaseLock();
    } catch (const com::Error&) {
      // The lock ends with the session anyway; closing goes on.
    }
  }
  timer_->Set("Enabled", com::Variant(false));
  if (designer_) {
    try {
      designer_->Shutdown();
    } catch (const com::Error&) {
      // A designer that fails to shut down is let go of all the same.
    }
    if (designer_cookie_) {
      com::Unadvise(designer_.get(), designer::DesignerEvents::kIID, designer_cookie_);
      designer_cookie_ = 0;
    }
  }
  WindowChanged();
}

void CardObject::Unload() {
  session_ = nullptr;
  card_data_ = nullptr;
  frame_ = nullptr;
  action_host_ = nullptr;
  update_ = nullptr;
  library_ = nullptr;
  process_ = nullptr;
  lock_ = nullptr;
  created_ = nullptr;
  designer_ = nullptr;
}

com::Variant CardObject::GetWindowSize() {
  auto px = [](int32_t twips) { return com::Variant(static_cast<int32_t>(std::lround(double(twips) / kTwipsPerPixel))); };
  return com::Variant(std::vector<com::Variant>{px(9000), px(7000), px(5000), px(3000), com::Variant(true)});
}

void CardObject::Perform(const com::Variant& pellory, const std::string& action_id, const std::string&) {
  if (text::Upper(action_id) != "START") return;
  action_host_ = pellory.IsObject() ? pellory.ToObject() : nullptr;
  try {
    designer::Designer& d = Designer();
    d.Initialize(com::Variant(com::Ref<com::Unknown>(static_cast<com::Unknown*>(session_.get()))), pellory,
                 com::Variant(com::Ref<com::Unknown>(static_cast<com::Unknown*>(library_.get()))),
                 com::Variant(com::Ref<com::Unknown>(static_cast<com::Unknown*>(GetProcess().get()))),
                 frame_ ? com::CallMethod(frame_.get(), "GetFrameValue").ToI4() : 0);
    CreateAndStartInstance();
  } catch (const com::Error& e) {
    ShowFailure(e, msg::kCreateInstanceFailed);
  }
  action_host_ = nullptr;
  WindowChanged();
}

// ---- the window ------------------------------------------------------------------

com::Ref<com::Unknown> CardObject::Controls(const std::string& name) {
  for (Control* c : {toolbar_.get(), status_.get(), timer_.get(), images_.get(), designer_place_.get()}) {
    if (text::EqualNoCase(c->name(), name)) {
      return com::Ref<com::Unknown>(static_cast<com::Unknown*>(static_cast<ControlModel*>(c)));
    }
  }
  throw com::Error(com::hr::kInvalidArg, "Card", "The card has no control \"" + name + "\"");
}

void CardObject::ButtonClick(const std::string& key) {
  Control* button = toolbar_->Item("Buttons", com::Variant(key));
  // A button the person cannot see or press does nothing.
  if (button && button->Enabled() && button->Visible()) {
    if (button->Text("Style") == "Check") {
      button->Set("Value", com::Variant(int32_t{button->Get("Value").ToI4() == 1 ? 0 : 1}));
    }
    RunCommand(button->name());
  }
  WindowChanged();
}

void CardObject::KeyDown(int32_t key_code, int32_t) {
  if (key_code == kShiftKey) shift_ = true;
}

void CardObject::KeyUp(int32_t key_code, int32_t) {
  if (key_code == kShiftKey) shift_ = false;
}

void CardObject::Resize(int32_t width, int32_t height) {
  width_ = width;
  height_ = height;
  Layout();
  WindowChanged();
}

void CardObject::Layout() {
  toolbar_->Set("Visible", com::Variant(show_toolbar_));
  const int32_t left = 0;
  const int32_t top = show_toolbar_ ? toolbar_->Get("Height").ToI4() : 0;
  designer_place_->Set("Left", com::Variant(left));
  designer_place_->Set("Width", com::Variant(std::max(0, width_ - left - kMargin)));
  designer_place_->Set("Top", com::Variant(top));
  designer_place_->Set("Height", com::Variant(std::max(0, height_ - top - kMargin - status_->Get("Height").ToI4())));
}

void CardObject::TimerTick() {
  if (!timer_->Enabled() || !card_data_) return;
  try {
    UpdateToolbar();
    UpdateModePanel();
    if (CanLock()) TryLock(false, true);
    Designer().SetReadOnly(IsReadOnly());
    timer_->Set("Interval", com::Variant(kTimerInterval));
  } catch (const com::Error& e) {
    ShowError(Host(), 0, msg::kUpdateStateFailed, e, session_.get());
  }
  WindowChanged();
}

int32_t CardObject::MousePointer() { return window_->Get("MousePointer").ToI4(); }

com::Ref<com::ConnectionPoint> CardObject::FindConnectionPoint(const com::Guid& iid) {
  if (iid != pellory::CardWindowEvents::kIID) throw com::Error(com::MakeHResult(0x80040200u));
  return com::Ref<com::ConnectionPoint>(events_.get());
}

std::vector<com::Guid> CardObject::ConnectionInterfaces() { return {pellory::CardWindowEvents::kIID}; }

void CardObject::WindowChanged() {
  if (!window_changed_) return;
  window_changed_ = false;
  events_->Raise(pellory::CardWindowEvents::kWindowChanged, {});
}

// ---- what the card stands on ----------------------------------------------------------

com::Ref<vorlane::Process> CardObject::GetProcess() {
  if (!process_ && card_data_ && library_) {
    process_ = library_->GetProcess(card_data_->GetID(), card_data_->GetIsTemplate());
  }
  if (!process_) throw com::Error(com::hr::kUnexpected, "Card", "The card has no process: it was not initialised");
  return process_;
}

com::Unknown* CardObject::Host() {
  if (action_host_) return action_host_.get();
  if (!frame_) return nullptr;
  try {
    action_host_ = com::CallMethod(frame_.get(), "GetPellory").ToObject();
  } catch (const com::Error&) {
    // A frame without services: messages go to the plain message box.
    return nullptr;
  }
  return action_host_.get();
}

designer::Designer& CardObject::Designer() {
  if (!designer_) {
    designer_ = com::Query<designer::Designer>(com::CreateObject("QXDesigner.Designer"));
    designer_cookie_ = com::Advise(designer_.get(), designer::DesignerEvents::kIID,
                                   com::Ref<com::Dispatch>(static_cast<com::Dispatch*>(designer_sink_.get())));
    designer_place_->Set("Object", com::Variant(com::Ref<com::Unknown>(static_cast<com::Unknown*>(designer_.get()))));
  }
  return *designer_;
}

void CardObject::InitializeDesigner() {
  auto object = [](com::Unknown* o) { return com::Variant(com::Ref<com::Unknown>(o)); };
  Designer().Initialize(object(session_.get()), object(Host()), object(library_.get()), object(GetProcess().get()),
                        frame_ ? com::CallMethod(frame_.get(), "GetFrameValue").ToI4() : 0);
}

void CardObject::CloseCard() {
  if (!frame_) return;
  com::CallMethod(frame_.get(), "CloseCard");
}

com::Variant CardObject::SessionProperty(const char* name) {
  com::Ref<com::Collection> properties = session_->GetProperties();
  return properties->Item(com::Variant(name));
}

std::string CardObject::Account() { return SessionProperty("AccountName").ToText(); }

int16_t CardObject::ClientVersion() { return SessionProperty("ClientVersion").ToI2(); }

}  // namespace card
