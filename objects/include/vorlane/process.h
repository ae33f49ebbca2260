#pragma once

#include <string>

#include "platform/com/dispatch.h"
#include "vorlane/enums.h"
#include "vorlane/functions.h"
#include "vorlane/gates.h"
#include "vorlane/doc_types.h"
#include "vorlane/links.h"
#include "vorlane/log_messages.h"
#include "vorlane/log_reader.h"
#include "vorlane/variable_notificator.h"
#include "vorlane/variables.h"

namespace vorlane {

// _Process: one live wrapper over one process card, a template or an
// instance. Every property is one field of the card's "MainInfo" row, read
// or written at the moment of the call. Made by the Library and the
// template and instance lists, never by clients.
class Process : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{2B7F8495-B2C1-4612-B9D0-5FC2860C7A0B}"};
  static constexpr com::Guid kCLSID{"{57AC7B7D-52D4-482B-8CF7-50C40A2E6ED7}"};
  static const com::TypeInfo& DispatchInfo();

  virtual std::string ID() = 0;
  // Setting the state of an instance also sets the card's description to
  // "<name> (<state text>)".
  virtual ProcessStateEnum State() = 0;
  virtual void SetState(ProcessStateEnum value) = 0;
  virtual TemplateStateEnum TemplateState() = 0;
  virtual void SetTemplateState(TemplateStateEnum value) = 0;
  // Writing sets "CurrentPriority" too.
  virtual int16_t Priority() = 0;
  virtual void SetPriority(int16_t value) = 0;
  virtual std::string Version() = 0;
  virtual void SetVersion(const std::string& value) = 0;
  virtual int16_t BuildNumber() = 0;
  virtual void SetBuildNumber(int16_t value) = 0;
  // Setting the name also sets the card's description (the name alone for
  // a template, the state rule for an instance).
  virtual std::string Name() = 0;
  virtual void SetName(const std::string& value) = 0;
  virtual std::string InstanceName() = 0;
  virtual void SetInstanceName(const std::string& value) = 0;
  virtual bool HasLayout() = 0;
  virtual void SetHasLayout(bool value) = 0;
  virtual bool SubProcess() = 0;
  virtual void SetSubProcess(bool value) = 0;
  // Always False; a write is accepted and ignored.
  virtual bool DeleteAfterFinish() = 0;
  virtual void SetDeleteAfterFinish(bool value) = 0;
  virtual int32_t AfterFinishBehavior() = 0;
  virtual void SetAfterFinishBehavior(int32_t value) = 0;
  virtual bool SynchronousSubProcess() = 0;
  virtual void SetSynchronousSubProcess(bool value) = 0;
  virtual bool ReadyToRun() = 0;
  virtual void SetReadyToRun(bool value) = 0;
  virtual std::string Responsible() = 0;
  virtual void SetResponsible(const std::string& value) = 0;
  virtual std::string TemplateProcess() = 0;
  virtual void SetTemplateProcess(const std::string& value) = 0;
  virtual bool IsTemplate() = 0;
  virtual std::string Description() = 0;
  virtual void SetDescription(const std::string& value) = 0;
  // The card's display text.
  virtual std::string Digest() = 0;
  virtual std::string Folder() = 0;
  virtual void SetFolder(const std::string& value) = 0;
  virtual std::string Calendar() = 0;
  virtual void SetCalendar(const std::string& value) = 0;
  virtual std::string InitialDocumentVariableID() = 0;
  virtual void SetInitialDocumentVariableID(const std::string& value) = 0;
  virtual std::string InitialDocument() = 0;
  virtual void SetInitialDocument(const std::string& value) = 0;
  virtual std::string ParentProcess() = 0;
  virtual void SetParentProcess(const std::string& value) = 0;
  virtual std::string AuthorCreated() = 0;
  virtual void SetAuthorCreated(const std::string& value) = 0;
  virtual std::string AuthorModified() = 0;
  virtual void SetAuthorModified(const std::string& value) = 0;
  virtual std::string StartedBy() = 0;
  virtual void SetStartedBy(const std::string& value) = 0;
  // The card's own dates; writes are accepted and ignored.
  virtual com::Date DateCreated() = 0;
  virtual void SetDateCreated(com::Date value) = 0;
  virtual com::Date DateModified() = 0;
  virtual void SetDateModified(com::Date value) = 0;
  // An empty field reads as the date 0 (30 December 1899).
  virtual com::Date DateBegin() = 0;
  virtual void SetDateBegin(com::Date value) = 0;
  virtual com::Date DateEnd() = 0;
  virtual void SetDateEnd(com::Date value) = 0;
  virtual int16_t LocaleID() = 0;
  virtual void SetLocaleID(int16_t value) = 0;
  virtual LoggingLevelEnum LoggingLevel() = 0;
  virtual void SetLoggingLevel(LoggingLevelEnum value) = 0;
  virtual int32_t LogLimit() = 0;
  virtual void SetLogLimit(int32_t value) = 0;
  // An empty field reads as the schema's default of the field.
  virtual int32_t RefreshPeriod() = 0;
  virtual void SetRefreshPeriod(int32_t value) = 0;

  // The dispatch name is "Notifiсator", its seventh letter the Cyrillic "с"
  // (U+0441). Made on first request, then the same object for the life of
  // the process (Refresh keeps it); the Variables report through it.
  virtual com::Ref<VariableNotificator> Notificator() = 0;
  // The child collections: made on first request, the same object until Refresh.
  virtual com::Ref<vorlane::Functions> Functions() = 0;
  virtual com::Ref<vorlane::Gates> Gates() = 0;
  virtual com::Ref<vorlane::Links> Links() = 0;
  virtual com::Ref<vorlane::Variables> Variables() = 0;
  virtual com::Ref<vorlane::DocTypes> DocTypes() = 0;
  virtual com::Ref<vorlane::LogMessages> LogMessages() = 0;

  // A new reader over the card's log on every call, independent of any
  // other; the process keeps no hold of it.
  virtual com::Ref<LogReader> GetLogReader() = 0;

  // True when another user holds the card's lock (status other than 0, 3, 4).
  virtual bool IsLocked() = 0;
  // GlobalLock is accepted and has no effect.
  virtual void LockProcess(bool global_lock) = 0;
  virtual void UnlockProcess() = 0;
  // Drops the cached main row and collections; DeepRefresh reloads the card first.
  virtual void Refresh(bool deep_refresh) = 0;
  virtual void BeginUpdate() = 0;
  virtual void CancelUpdate() = 0;
  virtual void EndUpdate() = 0;
  virtual void UpdateNow() = 0;
  // Passes the card ID on unchanged.
  virtual void MarkCardForDeletion(const std::string& card_id) = 0;
  virtual std::string GetXML(bool follow_links) = 0;
  virtual bool InUpdate() = 0;
};

}  // namespace vorlane
