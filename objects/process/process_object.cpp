#include "objects/process/process_object.h"

#include "common/localized_strings.h"
#include "objects/core/card_layout.h"
#include "objects/log/log_reader_object.h"
#include "platform/com/describe.h"
#include "platform/ostrel/field_type.h"
#include "platform/ostrel/field_type_collection.h"
#include "platform/ostrel/row_collection.h"
#include "platform/ostrel/section.h"
#include "platform/ostrel/section_collection.h"
#include "platform/ostrel/section_type.h"

namespace vorlane {
namespace {

// The state texts are strings 101 to 105 of the library: 101 + state.
constexpr int32_t kFirstStateText = 101;
// The selection a log reader is opened with (the platform's meaning: every row).
constexpr int32_t kLogReaderSelection = 2;

}  // namespace

void ProcessObject::Initialize(com::Ref<ostrel::CardData> card) {
  com::Ref<ostrel::SectionCollection> sections = card->GetSections();
  com::Ref<ostrel::RowCollection> main_rows = sections->Item(layout::kMainInfo)->GetRows();
  if (main_rows->Count() == 0) main_rows->AddNew(0);
  sections->Item(layout::kPassStates)->SetSectionMode(layout::kPassStatesSectionMode);
  lock_ = com::Query<ostrel::CardLock>(card);
  update_ = com::Query<ostrel::CardUpdate>(card);
  card_ = std::move(card);
}

ProcessObject::~ProcessObject() {
  if (removal_listener_) removal_listener_->Detach();
  card_.reset();
  lock_.reset();
  update_.reset();
  main_row_.reset();
  functions_.reset();
  gates_.reset();
  links_.reset();
  variables_.reset();
  doc_types_.reset();
  log_messages_.reset();
  notificator_.reset();
  removal_listener_.reset();
}

ostrel::CardData& ProcessObject::card() const {
  if (!card_) throw com::Error(com::hr::kObjectNotSet);
  return *card_;
}
ostrel::CardLock& ProcessObject::lock() const {
  if (!lock_) throw com::Error(com::hr::kObjectNotSet);
  return *lock_;
}
ostrel::CardUpdate& ProcessObject::update() const {
  if (!update_) throw com::Error(com::hr::kObjectNotSet);
  return *update_;
}

ostrel::Row& ProcessObject::MainInfoRow() {
  if (!main_row_) {
    main_row_ = card().GetSections()->Item(layout::kMainInfo)->GetRows()->Item(com::Variant(int16_t{0}));
  }
  return *main_row_;
}

void ProcessObject::SetState(ProcessStateEnum value) {
  PutLong("State", static_cast<int32_t>(value));
  if (!IsTemplate()) ApplyDescription(value);
}

void ProcessObject::ApplyDescription(ProcessStateEnum state) {
  std::string text = LoadLocalizedString(kFirstStateText + static_cast<int32_t>(state), LocaleID());
  card().SetDescription(Name() + " (" + text + ")");
}

void ProcessObject::SetName(const std::string& value) {
  PutText("Name", value);
  if (IsTemplate()) {
    card().SetDescription(value);
  } else {
    // The process gives itself its own state again, which renews the description.
    SetState(State());
  }
}

void ProcessObject::SetPriority(int16_t value) {
  PutShort("Priority", value);
  PutShort("CurrentPriority", value);
}

com::Date ProcessObject::GetDate(const char* field) {
  com::Variant v = Get(field);
  if (v.IsNull()) return com::Date{0};
  return v.ToDate();
}

int32_t ProcessObject::RefreshPeriod() {
  com::Variant v = Get("RefreshPeriod");
  if (!v.IsNull()) return v.ToI4();
  com::Ref<ostrel::FieldType> field =
      MainInfoRow().GetSection()->GetSchema()->GetFieldTypes()->Item(com::Variant("RefreshPeriod"));
  return field->GetDefaultValue().ToI4();
}

template <class List>
const com::Ref<List>& ProcessObject::CardList(com::Ref<List>& slot, const char* section_id) {
  if (!slot) {
    auto list = com::Make<List>();
    list->Attach(RowContainer::Of(card().GetSections()->Item(section_id)));
    slot = std::move(list);
  }
  return slot;
}

com::Ref<FunctionsObject> ProcessObject::FunctionList() { return CardList(functions_, layout::kFunctions); }

com::Ref<vorlane::Gates> ProcessObject::Gates() { return CardList(gates_, layout::kGates); }

com::Ref<vorlane::Links> ProcessObject::Links() { return CardList(links_, layout::kLinks); }

com::Ref<VariableNotificatorObject> ProcessObject::NotificatorObject() {
  if (!notificator_) {
    auto notificator = com::Make<VariableNotificatorObject>();
    auto listener = com::Make<VariableRemovalListener>(this);
    notificator->Connect(listener);
    notificator_ = std::move(notificator);
    removal_listener_ = std::move(listener);
  }
  return notificator_;
}

com::Ref<vorlane::Variables> ProcessObject::Variables() {
  if (!variables_) {
    auto list = com::Make<VariablesObject>();
    list->Attach(RowContainer::Of(card().GetSections()->Item(layout::kVariables)), NotificatorObject());
    variables_ = std::move(list);
  }
  return variables_;
}

com::Ref<vorlane::DocTypes> ProcessObject::DocTypes() {
  if (!doc_types_) {
    auto list = com::Make<DocTypesObject>();
    list->Attach(RowContainer::Of(MainInfoRow().GetSubSections()->Item(layout::kDocTypes)));
    doc_types_ = std::move(list);
  }
  return doc_types_;
}

com::Ref<vorlane::LogMessages> ProcessObject::LogMessages() { return CardList(log_messages_, layout::kLogMessages); }

com::Ref<LogReader> ProcessObject::GetLogReader() {
  // From the first row of the log, with no limit.
  com::Ref<ostrel::SectionReader> rows =
      card().GetSections()->Item(layout::kLogMessages)->OpenReader(kLogReaderSelection, 0, 0);
  auto reader = com::Make<LogReaderObject>();
  reader->Initialize(std::move(rows));
  return reader;
}

bool ProcessObject::IsLocked() {
  int32_t status = lock().GetLockStatus();
  // 0 nobody, 3 this user's own lock, 4 this user elsewhere: none is someone else's.
  return status != 0 && status != 3 && status != 4;
}

void ProcessObject::Refresh(bool deep_refresh) {
  if (deep_refresh) card().Refresh(false);
  main_row_.reset();
  functions_.reset();
  gates_.reset();
  links_.reset();
  variables_.reset();
  doc_types_.reset();
  log_messages_.reset();
}

const com::TypeInfo& Process::DispatchInfo() {
  using P = Process;
  static const com::TypeInfo info =
      com::Describe<P>("_Process")
          .Get("ID", &P::ID)
          .GetLet("State", &P::State, &P::SetState)
          .GetLet("TemplateState", &P::TemplateState, &P::SetTemplateState)
          .GetLet("Priority", &P::Priority, &P::SetPriority)
          .GetLet("Version", &P::Version, &P::SetVersion)
          .GetLet("BuildNumber", &P::BuildNumber, &P::SetBuildNumber)
          .GetLet("Name", &P::Name, &P::SetName)
          .GetLet("InstanceName", &P::InstanceName, &P::SetInstanceName)
          .GetLet("HasLayout", &P::HasLayout, &P::SetHasLayout)
          .GetLet("SubProcess", &P::SubProcess, &P::SetSubProcess)
          .GetLet("DeleteAfterFinish", &P::DeleteAfterFinish, &P::SetDeleteAfterFinish)
          .GetLet("AfterFinishBehavior", &P::AfterFinishBehavior, &P::SetAfterFinishBehavior)
          .GetLet("SynchronousSubProcess", &P::SynchronousSubProcess, &P::SetSynchronousSubProcess)
          .GetLet("ReadyToRun", &P::ReadyToRun, &P::SetReadyToRun)
          .GetLet("Responsible", &P::Responsible, &P::SetResponsible)
          .Get("IsTemplate", &P::IsTemplate)
          .GetLet("Description", &P::Description, &P::SetDescription)
          .Get("Digest", &P::Digest)
          .GetLet("Folder", &P::Folder, &P::SetFolder)
          .GetLet("Calendar", &P::Calendar, &P::SetCalendar)
          .GetLet("InitialDocumentVariableID", &P::InitialDocumentVariableID, &P::SetInitialDocumentVariableID)
          .GetLet("InitialDocument", &P::InitialDocument, &P::SetInitialDocument)
          .GetLet("ParentProcess", &P::ParentProcess, &P::SetParentProcess)
          .GetLet("AuthorCreated", &P::AuthorCreated, &P::SetAuthorCreated)
          .GetLet("AuthorModified", &P::AuthorModified, &P::SetAuthorModified)
          .GetLet("StartedBy", &P::StartedBy, &P::SetStartedBy)
          .GetLet("DateCreated", &P::DateCreated, &P::SetDateCreated)
          .GetLet("DateModified", &P::DateModified, &P::SetDateModified)
          .GetLet("DateBegin", &P::DateBegin, &P::SetDateBegin)
          .GetLet("DateEnd", &P::DateEnd, &P::SetDateEnd)
          .GetLet("LocaleID", &P::LocaleID, &P::SetLocaleID)
          .GetLet("LoggingLevel", &P::LoggingLevel, &P::SetLoggingLevel)
          .GetLet("LogLimit", &P::LogLimit, &P::SetLogLimit)
          .GetLet("RefreshPeriod", &P::RefreshPeriod, &P::SetRefreshPeriod)
          // "Notifiсator" with the Cyrillic "с" (U+0441), as clients bind to it.
          .Get("Notifi\u0441ator", &P::Notificator)
          .Get("Functions", &P::Functions)
          .Get("Gates", &P::Gates)
          .Get("Links", &P::Links)
          .Get("Variables", &P::Variables)
          .Get("DocTypes", &P::DocTypes)
          .Get("LogMessages", &P::LogMessages)
          .Method("GetLogReader", &P::GetLogReader)
          .Method("IsLocked", &P::IsLocked)
          .Method("LockProcess", &P::LockProcess, {com::Optional("GlobalLock", false)})
          .Method("UnlockProcess", &P::UnlockProcess)
          .Method("Refresh", &P::Refresh, {com::Optional("DeepRefresh", false)})
          .Method("BeginUpdate", &P::BeginUpdate)
          .Method("CancelUpdate", &P::CancelUpdate)
          .Method("EndUpdate", &P::EndUpdate)
          .Method("UpdateNow", &P::UpdateNow)
          .Method("MarkCardForDeletion", &P::MarkCardForDeletion, {com::Arg("CardID")})
          .Method("GetXML", &P::GetXML, {com::Arg("FollowLinks")})
          .Get("InUpdate", &P::InUpdate)
          // The type library lists the get and let of TemplateProcess last.
          .GetLet("TemplateProcess", &P::TemplateProcess, &P::SetTemplateProcess)
          .Build();
  return info;
}

}  // namespace vorlane
