#pragma once

#include "objects/graph/functions_object.h"
#include "objects/graph/gates_object.h"
#include "objects/graph/links_object.h"
#include "objects/log/log_messages_object.h"
#include "objects/variables/doc_types_object.h"
#include "objects/variables/variable_notificator_object.h"
#include "objects/variables/variable_removal_listener.h"
#include "objects/variables/variables_object.h"
#include "platform/ostrel/card_data.h"
#include "platform/ostrel/card_lock.h"
#include "platform/ostrel/card_update.h"
#include "vorlane/process.h"

namespace vorlane {

class ProcessObject final : public com::Object<Process> {
 public:
  // Attaches the process to a process card: gives "MainInfo" its row when it
  // has none, addresses the pass states at card level in section mode 2, and
  // keeps the card data with its lock and update views.
  void Initialize(com::Ref<ostrel::CardData> card);

  std::string ID() override { return card().GetID(); }
  ProcessStateEnum State() override { return static_cast<ProcessStateEnum>(GetLong("State")); }
  void SetState(ProcessStateEnum value) override;
  TemplateStateEnum TemplateState() override { return static_cast<TemplateStateEnum>(GetLong("TemplateState")); }
  void SetTemplateState(TemplateStateEnum v) override { PutLong("TemplateState", static_cast<int32_t>(v)); }
  int16_t Priority() override { return GetShort("Priority"); }
  void SetPriority(int16_t value) override;
  std::string Version() override { return GetText("Version"); }
  void SetVersion(const std::string& v) override { PutText("Version", v); }
  int16_t BuildNumber() override { return GetShort("BuildNumber"); }
  void SetBuildNumber(int16_t v) override { PutShort("BuildNumber", v); }
  std::string Name() override { return GetText("Name"); }
  void SetName(const std::string& value) override;
  std::string InstanceName() override { return GetText("InstanceName"); }
  void SetInstanceName(const std::string& v) override { PutText("InstanceName", v); }
  bool HasLayout() override { return GetBool("HasLayout"); }
  void SetHasLayout(bool v) override { PutBool("HasLayout", v); }
  bool SubProcess() override { return GetBool("SubProcess"); }
  void SetSubProcess(bool v) override { PutBool("SubProcess", v); }
  bool DeleteAfterFinish() override { return false; }
  void SetDeleteAfterFinish(bool) override {}
  int32_t AfterFinishBehavior() override { return GetLong("AfterFinishBehavior"); }
  void SetAfterFinishBehavior(int32_t v) override { PutLong("AfterFinishBehavior", v); }
  bool SynchronousSubProcess() override { return GetBool("SynchronousSubprocess"); }
  void SetSynchronousSubProcess(bool v) override { PutBool("SynchronousSubprocess", v); }
  bool ReadyToRun() override { return GetBool("ReadyToRun"); }
  void SetReadyToRun(bool v) override { PutBool("ReadyToRun", v); }
  std::string Responsible() override { return GetText("Responsible"); }
  void SetResponsible(const std::string& v) override { PutText("Responsible", v); }
  std::string TemplateProcess() override { return GetText("TemplateProcess"); }
  void SetTemplateProcess(const std::string& v) override { PutText("TemplateProcess", v); }
  bool IsTemplate() override { return card().GetIsTemplate(); }
  std::string Description() override { return GetText("Description"); }
  void SetDescription(const std::string& v) override { PutText("Description", v); }
  std::string Digest() override { return card().GetDescription(); }
  std::string Folder() override { return GetText("Folder"); }
  void SetFolder(const std::string& v) override { PutText("Folder", v); }
  std::string Calendar() override { return GetText("Calendar"); }
  void SetCalendar(const std::string& v) override { PutText("Calendar", v); }
  std::string InitialDocumentVariableID() override { return GetText("InitialDocumentVariableID"); }
  void SetInitialDocumentVariableID(const std::string& v) override { PutText("InitialDocumentVariableID", v); }
  std::string InitialDocument() override { return GetText("InitialDoc"); }
  void SetInitialDocument(const std::string& v) override { PutText("InitialDoc", v); }
  std::string ParentProcess() override { return GetText("ParentProcess"); }
  void SetParentProcess(const std::string& v) override { PutText("ParentProcess", v); }
  std::string AuthorCreated() override { return GetText("AuthorCreated"); }
  void SetAuthorCreated(const std::string& v) override { PutText("AuthorCreated", v); }
  std::string AuthorModified() override { return GetText("AuthorModified"); }
  void SetAuthorModified(const std::string& v) override { PutText("AuthorModified", v); }
  std::string StartedBy() override { return GetText("InstanceAuthor"); }
  void SetStartedBy(const std::string& v) override { PutText("InstanceAuthor", v); }
  com::Date DateCreated() override { return card().GetDateCreated(); }
  void SetDateCreated(com::Date) override {}
  com::Date DateModified() override { return card().GetDateModified(); }
  void SetDateModified(com::Date) override {}
  com::Date DateBegin() override { return GetDate("DateBegin"); }
  void SetDateBegin(com::Date v) override { Put("DateBegin", com::Variant(v)); }
  com::Date DateEnd() override { return GetDate("DateEnd"); }
  void SetDateEnd(com::Date v) override { Put("DateEnd", com::Variant(v)); }
  int16_t LocaleID() override { return static_cast<int16_t>(GetLong("LocaleID") & 0xFFFF); }
  void SetLocaleID(int16_t v) override { PutShort("LocaleID", v); }
  LoggingLevelEnum LoggingLevel() override { return static_cast<LoggingLevelEnum>(GetLong("LoggingLevel")); }
  void SetLoggingLevel(LoggingLevelEnum v) override { PutLong("LoggingLevel", static_cast<int32_t>(v)); }
  int32_t LogLimit() override { return GetLong("LogLimit"); }
  void SetLogLimit(int32_t v) override { PutLong("LogLimit", v); }
  int32_t RefreshPeriod() override;
  void SetRefreshPeriod(int32_t v) override { PutLong("RefreshPeriod", v); }

  com::Ref<VariableNotificator> Notificator() override { return NotificatorObject(); }
  com::Ref<vorlane::Functions> Functions() override { return FunctionList(); }
  com::Ref<vorlane::Gates> Gates() override;
  com::Ref<vorlane::Links> Links() override;
  com::Ref<vorlane::Variables> Variables() override;
  com::Ref<vorlane::DocTypes> DocTypes() override;
  com::Ref<vorlane::LogMessages> LogMessages() override;

  com::Ref<LogReader> GetLogReader() override;

  bool IsLocked() override;
  void LockProcess(bool /*global_lock: no effect*/) override { lock().Lock(false); }
  void UnlockProcess() override { lock().Unlock(); }
  void Refresh(bool deep_refresh) override;
  void BeginUpdate() override { update().BeginUpdate(); }
  void CancelUpdate() override { update().CancelUpdate(); }
  void EndUpdate() override { update().EndUpdate(); }
  void UpdateNow() override { update().UpdateNow(); }
  void MarkCardForDeletion(const std::string& card_id) override { update().MarkCardForDeletion(card_id); }
  std::string GetXML(bool follow_links) override { return card().GetXML(follow_links); }
  bool InUpdate() override { return update().GetInUpdate(); }

  // The card's "MainInfo" row, read once and kept until Refresh.
  ostrel::Row& MainInfoRow();

 private:
  // Drops, in this order, the card data, its lock and update views, the
  // main row, the collections and last the notificator; the process's own
  // listener, which the notificator may outlive, is detached first.
  ~ProcessObject() override;

  ostrel::CardData& card() const;
  ostrel::CardLock& lock() const;
  ostrel::CardUpdate& update() const;
  com::Ref<FunctionsObject> FunctionList();
  // The collection kept in `slot` over the card-level section `section_id`,
  // made and attached on first request.
  template <class List>
  const com::Ref<List>& CardList(com::Ref<List>& slot, const char* section_id);
  // The notificator, made with the process's own listener connected.
  com::Ref<VariableNotificatorObject> NotificatorObject();
  void ApplyDescription(ProcessStateEnum state);

  com::Variant Get(const char* field) { return MainInfoRow().GetField(field); }
  void Put(const char* field, const com::Variant& v) { MainInfoRow().SetField(field, v); }
  std::string GetText(const char* field) { return FieldToString(Get(field)); }
  void PutText(const char* field, const std::string& v) { Put(field, com::Variant(v)); }
  int32_t GetLong(const char* field) { return FieldToLong(Get(field)); }
  void PutLong(const char* field, int32_t v) { Put(field, com::Variant(v)); }
  int16_t GetShort(const char* field) { return FieldToInteger(Get(field)); }
  void PutShort(const char* field, int16_t v) { Put(field, com::Variant(v)); }
  bool GetBool(const char* field) { return FieldToBoolean(Get(field)); }
  void PutBool(const char* field, bool v) { Put(field, com::Variant(v)); }
  // An empty date reads as 0 (30 December 1899).
  com::Date GetDate(const char* field);

  com::Ref<ostrel::CardData> card_;
  com::Ref<ostrel::CardLock> lock_;
  com::Ref<ostrel::CardUpdate> update_;
  com::Ref<ostrel::Row> main_row_;
  com::Ref<FunctionsObject> functions_;
  com::Ref<GatesObject> gates_;
  com::Ref<LinksObject> links_;
  com::Ref<VariablesObject> variables_;
  com::Ref<DocTypesObject> doc_types_;
  com::Ref<LogMessagesObject> log_messages_;
  com::Ref<VariableNotificatorObject> notificator_;
  com::Ref<VariableRemovalListener> removal_listener_;
};

}  // namespace vorlane
