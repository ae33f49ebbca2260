// The card's commands: the toolbar, saving and the save question, the
// workflow commands, a new instance from a template, XML export and import,
// linked cards, printing, and the toolbar kept in step with the process.
#include <cstdio>

#include "card/control/card_object.h"
#include "card/control/print_report.h"
#include "card/convert/process_converter.h"
#include "card/forms/message_box_form.h"
#include "card/ui/hour_glass.h"
#include "card/ui/messages.h"
#include "platform/com/registry.h"
#include "platform/com/text.h"
#include "platform/ostrel/errors.h"
#include "vorlane/dict_function.h"
#include "vorlane/dict_functions.h"
#include "vorlane/dict_gate.h"
#include "vorlane/dict_gates.h"
#include "vorlane/dictionary.h"
#include "vorlane/functions.h"
#include "vorlane/gate.h"
#include "vorlane/gates.h"
#include "vorlane/proc_function.h"
#include "vorlane/process_import_export.h"
#include "vorlane/user_settings.h"
#include "vorlane/variable.h"
#include "vorlane/variables.h"

namespace card {
namespace {

// Import data that holds no exported process (the object model's error).
constexpr com::HResult kNoProcessInData = com::MakeHResult(0x80040001u);
// An error whose own description is meant for the person.
constexpr com::HResult kShowOwnDescription = com::MakeHResult(0x80040567u);
constexpr const char* kNullFolder = "{00000000-0000-0000-0000-000000000000}";
constexpr const char* kReadOnlyKey = "{B3742C9D-71B4-4CE7-A6B9-ADC51F37321A}";
constexpr const char* kMainInfo = "{0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4D}";
// File dialog flags: overwrite prompt, hide read-only, path must exist (save);
// file must exist (open).
constexpr int32_t kSaveFlags = 10242;
constexpr int32_t kOpenFlags = 4096;

com::Variant AsVariant(com::Unknown* o) { return com::Variant(com::Ref<com::Unknown>(o)); }

}  // namespace

Control& CardObject::Button(const char* key) { return *toolbar_->Item("Buttons", com::Variant(key)); }
Control& CardObject::Panel(const char* key) { return *status_->Item("Panels", com::Variant(key)); }

void CardObject::DesignerChanged() {
  modified_ = true;
  Button("Save").Set("Enabled", com::Variant(!IsReadOnly()));
  WindowChanged();
}

void CardObject::RunCommand(const std::string& key) {
  try {
    if (key == "Save") {
      SaveCard();
    } else if (key == "Properties") {
      timer_->Set("Enabled", com::Variant(false));
      Designer().ShowProperties();
      UpdateCaption();
    } else if (key == "Execute") {
      CreateAndStartInstance();
    } else if (key == "Start") {
      StartProcess();
    } else if (key == "Pause") {
      PauseProcess();
    } else if (key == "Stop") {
      StopProcess();
    } else if (key == "Zoomin") {
      Designer().ZoomIn();
    } else if (key == "Zoomout") {
      Designer().ZoomOut();
    } else if (key == "ExportToPicture") {
      Designer().ExportPicture();
    } else if (key == "ShowLinkText") {
      Designer().ShowLinkText(Button("ShowLinkText").Get("Value").ToI4() == 1);
    } else if (key == "Export") {
      ExportToXml();
    } else if (key == "Import") {
      ImportFromXml();
    } else if (key == "ParentCard") {
      OpenLinkedCard(GetProcess()->InitialDocument());
    } else if (key == "ParentProcess") {
      OpenLinkedCard(GetProcess()->ParentProcess());
    } else if (key == "TemplateProcess") {
      OpenLinkedCard(GetProcess()->TemplateProcess());
    } else if (key == "Log") {
      Designer().ShowLog();
    } else if (key == "Print") {
      PrintCard();
    } else {
      return;  // not a command
    }
  } catch (const com::Error& e) {
    // The commands that name no message of their own (the designer's).
    ShowFailure(e, msg::kUpdateStateFailed);
  }
  timer_->Set("Enabled", com::Variant(true));
}

void CardObject::ShowFailure(const com::Error& error, int32_t message) {
  if (error.code() == kShowOwnDescription) {
    ShowMessage(Host(), 0, std::string(error.description()), pellory::icon::kError);
  } else if (error.code() == ostrel::err::kRefused) {
    ShowMessage(Host(), 0, PlatformErrorText(session_.get()), pellory::icon::kError);
  } else {
    ShowError(Host(), 0, message, error, session_.get());
  }
}

// ---- saving ------------------------------------------------------------------

bool CardObject::QuerySaveChanges(bool reload) {
  try {
    if (modified_) {
      const int32_t answer = AskQuestion(Host(), 0, Message(msg::kSaveChanges), pellory::buttons::kYesNoCancel);
      if (answer == pellory::answer::kYes) {
        if (!SaveCard()) return false;
        if (update_->GetInUpdate()) Commit(true);
        return true;
      }
      if (answer == pellory::answer::kNo) {
        if (update_->GetInUpdate()) {
          update_->CancelUpdate();
          ForgetCreatedCards();
        }
        if (reload) ReloadDesigner();
        return true;
      }
      return false;
    }
    if (update_->GetInUpdate()) {
      update_->CancelUpdate();
      ForgetCreatedCards();
    }
    return true;
  } catch (const com::Error& e) {
    ShowError(Host(), 0, msg::kCloseFailed, e, session_.get());
    return false;
  }
}

bool CardObject::SaveCard() {
  try {
    com::Ref<vorlane::Process> p = GetProcess();
    if (card_data_->GetIsTemplate()) {
      p->SetHasLayout(true);
      p->SetAuthorModified(Account());
      p->SetBuildNumber(ClientVersion());
    }
    if (!card_data_->GetNameFixed()) card_data_->SetCardName(p->Name());
    if (update_->GetInUpdate()) Commit(false);
    modified_ = false;
    saved_ = true;
    UpdateToolbar();
    return true;
  } catch (const com::Error& e) {
    ShowError(Host(), 0, msg::kSaveFailed, e, session_.get());
    return false;
  }
}

void CardObject::Commit(bool end) {
  HourGlass wait(*window_);
  if (end) {
    update_->EndUpdate();
  } else {
    update_->UpdateNow();
  }
  ShortcutsOfCreatedCards();
}

void CardObject::ReloadDesigner() {
  GetProcess()->Refresh(false);
  if (GetProcess()->Version() != kCurrentVersion) ConvertProcess(GetProcess());
  InitializeDesigner();
  UpdateCaption();
}

// ---- starting ------------------------------------------------------------------

bool CardObject::ValidateForStart(std::string& text) {
  com::Ref<vorlane::Process> p = GetProcess();
  com::Ref<vorlane::Dictionary> dictionary = library_->Dictionary();
  std::string unknown_functions, unknown_gates;
  bool has_start = false;
  auto add = [](std::string& list, const std::string& caption) {
    if (!list.empty()) list += ", ";
    list += "'" + caption + "'";
  };
  com::Ref<vorlane::Functions> functions = p->Functions();
  com::Ref<vorlane::DictFunctions> types = dictionary->Functions();
  for (int32_t i = 1, n = functions->Count(); i <= n; ++i) {
    com::Ref<vorlane::ProcFunction> f = functions->Item(com::Variant(i));
    try {
      if (types->Item(com::Variant(f->TypeID()))->IsStart()) has_start = true;
    } catch (const com::Error&) {
      // A type the dictionary does not know is a finding, not a failure.
      add(unknown_functions, f->Caption());
    }
  }
  com::Ref<vorlane::Gates> gates = p->Gates();
  com::Ref<vorlane::DictGates> gate_types = dictionary->Gates();
  for (int32_t i = 1, n = gates->Count(); i <= n; ++i) {
    com::Ref<vorlane::Gate> g = gates->Item(com::Variant(i));
    try {
      gate_types->Item(com::Variant(g->TypeID()));
    } catch (const com::Error&) {
      // As for functions.
      add(unknown_gates, g->Caption());
    }
  }
  if (unknown_functions.empty() && unknown_gates.empty() && has_start) {
    text.clear();
    return true;
  }
  if (!has_start) text += "\r\n" + Message(msg::kNoStartFunction);
  if (!unknown_functions.empty()) text += "\r\n" + Message(msg::kUnknownFunctionTypes) + unknown_functions;
  if (!unknown_gates.empty()) text += "\r\n" + Message(msg::kUnknownGateTypes) + unknown_gates;
  return false;
}

com::Ref<ostrel::ProcessControl> CardObject::ProcessControlOf(const std::string& card_id) {
  return session_->GetProcessManager()->GetProcessControl(card_id);
}

void CardObject::CreateAndStartInstance() {
  try {
    const bool was_in_update = update_->GetInUpdate();
    if (!QuerySaveChanges(true)) return;
    if (was_in_update && !update_->GetInUpdate()) update_->BeginUpdate();
    std::string text = Message(msg::kCannotStart);
    if (!ValidateForStart(text)) {
      ShowMessage(Host(), 0, text, pellory::icon::kError);
      return;
    }
    const std::string initial = folder_id_.empty() || folder_id_ == kNullFolder ? "" : folder_id_;
    const com::Variant ask[] = {com::Variant(Message(msg::kSelectFolder)), com::Variant(1), com::Variant(initial)};
    const std::string folder = com::CallMethod(Host(), "SelectFolder", ask).ToText();
    if (folder.empty()) return;
    try {
      IsWorkflowServiceRunning();  // a probe: only whether it can be asked matters
    } catch (const com::Error& e) {
      ShowError(Host(), 0, msg::kServiceUnknown, e, session_.get());
      return;
    }
    com::Ref<vorlane::Process> instance;
    {
      HourGlass wait(*window_);
      instance = library_->CreateProcess(card_data_->GetID());
      const std::string name = Message(msg::kInstancePrefix) + instance->Name();
      instance->SetName(name);
      instance->SetInstanceName(name);
    }
    if (Designer().ShowInstanceDialog(AsVariant(instance.get()), true) != 1) {
      library_->DeleteProcess(instance->ID());
      return;
    }
    {
      HourGlass wait(*window_);
      // Written at once: the bracket holds nothing else now (the save
      // question above saved or dropped the rest), and a template whose
      // instances run must not read "Design" after the card closes.
      GetProcess()->SetTemplateState(vorlane::TemplateStateEnum::InUse);
      if (update_->GetInUpdate()) update_->UpdateNow();
      instance->SetDateBegin(com::Now());
      instance->SetTemplateProcess(card_data_->GetID());
      const std::string folder_card = com::CallMethod(Host(), "GetFolderCardID").ToText();
      auto tree = com::Query<ostrel::FolderTree>(session_->GetCardManager()->GetCardObject(folder_card));
      tree->GetFolder(folder)->GetShortcuts()->AddShortcut(instance->ID(), true);
      com::Ref<ostrel::ProcessControl> control = ProcessControlOf(instance->ID());
      com::Query<ostrel::ProcessControlEx>(control.get())->SetStartOption(false);
      control->Start();
    }
    ShowMessage(Host(), 0, Message(msg::kInstanceCreated), pellory::icon::kSuccess);
  } catch (const com::Error& e) {
    ShowFailure(e, msg::kCreateInstanceFailed);
  }
}

void CardObject::StartProcess() {
  try {
    if (!QuerySaveChanges(true)) return;
    com::Ref<vorlane::Process> p = GetProcess();
    p->Refresh(false);
    std::string text = Message(msg::kCannotStart);
    if (!ValidateForStart(text)) {
      ShowMessage(Host(), 0, text, pellory::icon::kError);
      return;
    }
    com::Ref<ostrel::ProcessControl> control = ProcessControlOf(card_data_->GetID());
    // The server takes the card for the run: the lock is let go first.
    const int32_t status = LockStatus();
    if (status == ostrel::lock_status::kThisSession || status == ostrel::lock_status::kSameAccount) ReleaseLock();
    if (control->GetState() == static_cast<int32_t>(vorlane::ProcessStateEnum::Paused)) {
      control->Resume();
    } else {
      control->Start();
    }
    UpdateToolbar();
    UpdateModePanel();
    if (IsReadOnly()) {
      ShowMessageEx(Host(), 0, ReadOnlyReason(), kReadOnlyKey, pellory::icon::kWarning, pellory::buttons::kKeyed);
    }
  } catch (const com::Error& e) {
    ShowFailure(e, msg::kStartFailed);
  }
}

void CardObject::PauseProcess() {
  try {
    com::Ref<ostrel::ProcessControl> control = ProcessControlOf(card_data_->GetID());
    if (control->GetState() == static_cast<int32_t>(vorlane::ProcessStateEnum::Active)) control->Pause();
    TryLock(true, true);
    UpdateToolbar();
    UpdateModePanel();
  } catch (const com::Error& e) {
    ShowFailure(e, msg::kPauseFailed);
  }
}

void CardObject::StopProcess() {
  try {
    com::Ref<ostrel::ProcessControl> control = ProcessControlOf(card_data_->GetID());
    const int32_t status = LockStatus();
    if (status == ostrel::lock_status::kThisSession || status == ostrel::lock_status::kSameAccount) ReleaseLock();
    if (control->GetState() != static_cast<int32_t>(vorlane::ProcessStateEnum::NonActive)) control->Stop();
    TryLock(true, true);
    UpdateToolbar();
    UpdateModePanel();
  } catch (const com::Error& e) {
    ShowFailure(e, msg::kStopFailed);
  }
}

// ---- export and import ------------------------------------------------------------

bool CardObject::AskSubprocesses(bool for_export) {
  com::Ref<vorlane::UserSettings> settings = library_->UserSettings();
  bool subprocesses = for_export ? settings->ExportWithSubprocesses() : settings->ImportWithSubprocesses();
  const bool ask = for_export ? settings->ShowExportDialog() : settings->ShowImportDialog();
  if (ask || shift_) {
    auto form = com::Make<MessageBoxForm>();
    bool ticked = !ask;
    const int32_t answer =
        form->ShowModal(Host(), Message(for_export ? msg::kExportWithSubprocesses : msg::kImportWithSubprocesses),
                        Message(for_export ? 1008 : 1009), 32, pellory::buttons::kYesNo, Message(msg::kOnlyWithShift),
                        &ticked);
    subprocesses = answer == pellory::answer::kYes;
    if (for_export) {
      settings->SetExportWithSubprocesses(subprocesses);
      settings->SetShowExportDialog(!ticked);
    } else {
      settings->SetImportWithSubprocesses(subprocesses);
      settings->SetShowImportDialog(!ticked);
    }
  }
  shift_ = false;
  return subprocesses;
}

std::string CardObject::ChooseFile(bool save, const std::string& default_name) {
  try {
    const com::Variant args[] = {com::Variant(save),
                                 com::Variant(Message(save ? msg::kExportTitle : msg::kImportTitle)),
                                 com::Variant(Message(msg::kFileFilter)),
                                 com::Variant(default_name),
                                 com::Variant("xml"),
                                 com::Variant(save ? kSaveFlags : kOpenFlags)};
    com::Variant path = com::CallMethod(Host(), "ChooseFile", args);
    return path.IsEmpty() || path.IsNull() ? "" : path.ToText();
  } catch (const com::Error&) {
    // A dialog that fails chose nothing.
    return "";
  }
}

void CardObject::ExportToXml() {
  try {
    const bool subprocesses = AskSubprocesses(true);
    const std::string file_name = Designer().FileName();
    const std::string path = ChooseFile(true, file_name.empty() ? "" : MakeFileName(file_name + ".xml"));
    if (path.empty()) return;
    {
      HourGlass wait(*window_);
      auto exchange = com::Query<vorlane::ProcessImportExport>(com::CreateObject("QXVorlane.ProcessImportExport"));
      exchange->ExportProcessEx(session_, card_data_, path, subprocesses);
    }
    ShowMessage(Host(), 0, Message(msg::kExported), pellory::icon::kSuccess);
  } catch (const com::Error& e) {
    ShowError(Host(), 0, msg::kExportFailed, e, session_.get());
  }
}

void CardObject::ImportFromXml() {
  try {
    if (!new_card_ || modified_) {
      if (AskQuestion(Host(), 0, Message(msg::kConfirmImport), pellory::buttons::kYesNo) != pellory::answer::kYes) {
        return;
      }
    }
    if (update_->GetInUpdate()) {
      update_->CancelUpdate();
      ForgetCreatedCards();
      update_->BeginUpdate();
    }
    const bool subprocesses = AskSubprocesses(false);
    const std::string path = ChooseFile(false, "");
    if (path.empty()) return;
    modified_ = true;
    {
      HourGlass wait(*window_);
      auto exchange = com::Query<vorlane::ProcessImportExport>(com::CreateObject("QXVorlane.ProcessImportExport"));
      exchange->ImportProcessEx(session_, card_data_, path, folder_id_,
                                com::Ref<com::Collection>(created_.get()), subprocesses);
    }
    try {
      CheckVariables(library_, library_->GetProcess(card_data_->GetID(), card_data_->GetIsTemplate()), Host());
    } catch (const com::Error&) {
      // The variable service only reports; without it the import stands.
    }
    ReloadDesigner();
    ShowMessage(Host(), 0, Message(msg::kImported), pellory::icon::kSuccess);
    modified_ = true;
    UpdateToolbar();
  } catch (const com::Error& e) {
    if (e.code() == kNoProcessInData) {
      ShowMessage(Host(), 0, Message(msg::kNoTemplateInFile), pellory::icon::kWarning);
    } else {
      ShowError(Host(), 0, msg::kImportFailed, e, session_.get());
    }
  }
}

// ---- linked cards and printing -------------------------------------------------------------

void CardObject::OpenLinkedCard(const std::string& card_id) {
  if (card_id.empty() || session_->GetCardManager()->GetCardStatus(card_id) != 1) return;
  const com::Variant args[] = {com::Variant(card_id), com::Variant(""), com::Variant(1), com::Variant::Missing(),
                               com::Variant::Missing()};
  com::CallMethod(Host(), "OpenCard", args);
}

void CardObject::PrintCard() {
  try {
    HourGlass wait(*window_);
    com::Ref<vorlane::Process> p = GetProcess();
    const std::string title = p->Name();
    const std::string html = PrintReport(*p, Designer().Picture(), card_data_->GetCardType()->GetDisplayName());
    com::CallMethod(Host(), "PrintDocument", std::vector{com::Variant(title), com::Variant(html)});
  } catch (const com::Error& e) {
    ShowError(Host(), 0, msg::kPrintFailed, e, session_.get());
  }
}

// ---- the toolbar ---------------------------------------------------------------------

void CardObject::UpdateToolbar() {
  try {
    const bool ro = IsReadOnly();
    Button("Save").Set("Enabled", com::Variant(modified_ && !ro));
    const bool is_template = card_data_->GetIsTemplate();
    for (const char* key : {"Execute", "Import", "Export"}) Button(key).Set("Visible", com::Variant(is_template));
    for (const char* key : {"Start", "Pause", "Stop", "Log", "ParentProcess", "TemplateProcess"}) {
      Button(key).Set("Visible", com::Variant(!is_template));
    }
    if (is_template) {
      Button("Execute").Set("Enabled", com::Variant(!ro));
      Button("Import").Set("Enabled", com::Variant(!ro));
    } else {
      com::Ref<vorlane::Process> p = GetProcess();
      p->Refresh(true);
      const auto state = p->State();
      using S = vorlane::ProcessStateEnum;
      Button("Start").Set("Enabled", com::Variant(state == S::NonActive || state == S::Paused || state == S::Failed));
      Button("Pause").Set("Enabled", com::Variant(state == S::Active));
      Button("Stop").Set("Enabled", com::Variant(state == S::Active || state == S::Paused));
      com::Ref<ostrel::CardManager> cards = session_->GetCardManager();
      auto linked = [&](const std::string& id) { return !id.empty() && cards->GetCardStatus(id) == 1; };
      Button("ParentProcess").Set("Enabled", com::Variant(linked(p->ParentProcess())));
      Button("TemplateProcess").Set("Enabled", com::Variant(linked(p->TemplateProcess())));
    }
    UpdateCaption();
  } catch (const com::Error& e) {
    if (e.code() == ostrel::err::kCardDeleted || e.code() == ostrel::err::kUnknownCard) {
      TakeAsDeleted();
    } else {
      ShowError(Host(), 0, msg::kUpdateStateFailed, e, session_.get());
    }
  }
}

void CardObject::UpdateCaption() {
  const std::string name = Designer().ProcessName();
  caption_ = name.empty() ? "" : name + " - " + card_data_->GetCardType()->GetDisplayName();
  window_->Set("Caption", com::Variant(caption_));
  if (frame_) com::CallMethod(frame_.get(), "SetCaption", std::vector{com::Variant(caption_)});
}

void CardObject::EnableButtons(bool enabled) {
  for (const char* key : {"Save", "Execute", "Start", "Pause", "Stop", "Log", "Import", "Export", "Properties",
                          "ParentCard", "ParentProcess"}) {
    Button(key).Set("Enabled", com::Variant(enabled));
  }
}

void CardObject::UpdateParentCardButton() {
  bool shown = false;
  if (!card_data_->GetIsTemplate()) {
    com::Variant doc = card_data_->GetSections()->Item(kMainInfo)->GetFirstRow()->GetField("InitialDoc");
    const std::string id = doc.IsNull() || doc.IsEmpty() ? "" : doc.ToText();
    shown = !id.empty() && session_->GetCardManager()->GetCardStatus(id) == 1;
  }
  Button("ParentCard").Set("Visible", com::Variant(shown));
  Button("sep2").Set("Visible", com::Variant(shown));
}

}  // namespace card
