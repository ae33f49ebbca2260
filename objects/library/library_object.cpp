// The entry point of the object model.
#include "objects/library/library_object.h"

#include "common/error_codes.h"
#include "platform/com/describe.h"
#include "platform/ostrel/card_data.h"
#include "platform/ostrel/card_type.h"
#include "platform/ostrel/section.h"
#include "platform/ostrel/section_collection.h"
#include "platform/ostrel/section_type.h"
#include "platform/ostrel/section_type_collection.h"
#include "platform/ostrel/card_types.h"

namespace vorlane {
namespace {

// The user's settings: the single card of this type (one per account), and
// the section of it that holds the settings row, found by name.
constexpr const char* kUserSettingsCard = ostrel::card_type::kUserSettings;
constexpr char kUserSettingsSection[] = "UserSettings";

}  // namespace

LibraryObject::~LibraryObject() {
  session_.reset();
  DropAll();
}

void LibraryObject::DropAll() {
  dictionary_.reset();
  templates_.reset();
  instances_.reset();
  settings_card_.reset();
  user_settings_.reset();
}

ostrel::Session& LibraryObject::session() const {
  if (!session_) throw com::Error(com::hr::kObjectNotSet);
  return *session_;
}

com::Variant LibraryObject::Connection() { return com::Variant(com::Ref<com::Unknown>(session_.get())); }

void LibraryObject::SetConnection(const com::Variant& value) {
  com::Ref<com::Unknown> object = value.ToObject();
  com::Ref<ostrel::Session> session;
  if (object) {
    session = com::TryQuery<ostrel::Session>(object);
    if (!session) throw com::Error(com::hr::kTypeMismatch);
  }
  session_ = std::move(session);
  // Everything made over the previous session is made again over this one.
  DropAll();
}

com::Ref<vorlane::Dictionary> LibraryObject::Dictionary() {
  if (!dictionary_) {
    auto dictionary = com::Make<DictionaryObject>();
    dictionary->Attach(com::Ref<ostrel::Session>(&session()));
    dictionary_ = std::move(dictionary);
  }
  return dictionary_;
}

com::Ref<TemplatesObject> LibraryObject::TemplateList() {
  if (!templates_) {
    auto list = com::Make<TemplatesObject>();
    list->Attach(com::Ref<ostrel::Session>(&session()));
    templates_ = std::move(list);
  }
  return templates_;
}

com::Ref<InstancesObject> LibraryObject::InstanceList() {
  if (!instances_) {
    auto list = com::Make<InstancesObject>();
    list->Attach(com::Ref<ostrel::Session>(&session()));
    instances_ = std::move(list);
  }
  return instances_;
}

void LibraryObject::Refresh(bool) {
  dictionary_.reset();
  templates_.reset();
  instances_.reset();
}

com::Ref<Process> LibraryObject::GetProcess(const std::string& process_id, bool is_template) {
  if (templates_ && is_template) return templates_->Item(com::Variant(process_id));
  if (!instances_ || is_template) return ProcessList::Attach(Cards()->GetCardData(process_id));
  return instances_->Item(com::Variant(process_id));
}

com::Ref<Process> LibraryObject::CreateProcess(const std::string& template_id) {
  com::Ref<ostrel::CardData> source = Cards()->GetCardData(template_id);
  if (!source->GetIsTemplate()) {
    throw com::Error(err::kLibraryError, "QXVorlane.Library", "Unable to create process from process instance");
  }
  com::Ref<ostrel::CardData> copy = source->CopyCard();
  copy->SetIsTemplate(false);
  com::Ref<ProcessObject> process = ProcessList::Attach(std::move(copy));
  // The state also gives the instance its description: its name and the state's text.
  process->SetState(ProcessStateEnum::NonActive);
  process->SetTemplateProcess(template_id);
  if (instances_) instances_->list().AddToList(process);
  return process;
}

void LibraryObject::DeleteProcess(const std::string& process_id) {
  com::Ref<ostrel::CardManager> cards = Cards();
  com::Ref<ostrel::CardData> card = cards->GetCardData(process_id);
  try {
    if (card->GetIsTemplate()) {
      if (templates_) templates_->list().RemoveFromList(card->GetID());
    } else if (instances_) {
      instances_->list().RemoveFromList(card->GetID());
    }
  } catch (const com::Error&) {
    // Taking the card out of the lists is skipped on error: a card that is
    // not listed is deleted all the same.
  }
  cards->DeleteCard(process_id, true);
}

com::Ref<vorlane::UserSettings> LibraryObject::UserSettings() {
  if (!settings_card_ || !user_settings_) {
    settings_card_ = Cards()->GetDictionaryData(kUserSettingsCard);
    const std::string section_id =
        settings_card_->GetCardType()->GetSectionTypes()->Item(com::Variant(kUserSettingsSection))->GetID();
    auto settings = com::Make<UserSettingsObject>();
    settings->SetRow(settings_card_->GetSections()->Item(section_id)->GetFirstRow());
    user_settings_ = std::move(settings);
  }
  return user_settings_;
}

const com::TypeInfo& Library::DispatchInfo() {
  using L = Library;
  static const com::TypeInfo info =
      com::Describe<L>("_Library")
          .GetLet("Connection", &L::Connection, &L::SetConnection)
          .Get("Dictionary", &L::Dictionary)
          .Get("Templates", &L::Templates)
          .Get("Instances", &L::Instances)
          .Method("Refresh", &L::Refresh, {com::Optional("DeepRefresh", false)})
          .Method("GetProcess", &L::GetProcess, {com::Arg("ProcessID"), com::Arg("IsTemplate")})
          .Method("CreateProcess", &L::CreateProcess, {com::Arg("TemplateID")})
          .Method("DeleteProcess", &L::DeleteProcess, {com::Arg("ProcessID")})
          .Get("UserSettings", &L::UserSettings)
          .Build();
  return info;
}

const com::TypeInfo& UserSettings::DispatchInfo() {
  using S = UserSettings;
  static const com::TypeInfo info =
      com::Describe<S>("_UserSettings")
          .GetLet("ShowExportDialog", &S::ShowExportDialog, &S::SetShowExportDialog)
          .GetLet("ShowImportDialog", &S::ShowImportDialog, &S::SetShowImportDialog)
          .GetLet("ExportWithSubprocesses", &S::ExportWithSubprocesses, &S::SetExportWithSubprocesses)
          .GetLet("ImportWithSubprocesses", &S::ImportWithSubprocesses, &S::SetImportWithSubprocesses)
          .Build();
  return info;
}

}  // namespace vorlane
