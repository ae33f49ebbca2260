#pragma once

#include <string>

#include "vorlane/dictionary.h"
#include "vorlane/instances.h"
#include "vorlane/process.h"
#include "vorlane/templates.h"
#include "vorlane/user_settings.h"

namespace vorlane {

// _Library: the entry point of the object model for a client that holds a
// platform session ("QXVorlane.Library", creatable). It opens, creates and
// deletes processes and hands out the dictionary, the lists of templates
// and instances, and the user's settings, each made on first request and
// kept until Connection is set again (Refresh drops the first three).
// Every member but Connection fails with 0x800A005B while no session is set.
class Library : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{6C259BD5-F72A-4E8A-8AF1-80746C7D794F}"};
  static constexpr com::Guid kCLSID{"{0709D72F-9E52-47B0-B841-BE264CC5C3E6}"};
  static const com::TypeInfo& DispatchInfo();

  // The session (Nothing while none is set).
  virtual com::Variant Connection() = 0;
  // `value` must offer the platform's Session (0x800A000D when it does not;
  // Nothing unsets it). Drops everything made over the previous session.
  virtual void SetConnection(const com::Variant& value) = 0;
  virtual com::Ref<vorlane::Dictionary> Dictionary() = 0;
  virtual com::Ref<vorlane::Templates> Templates() = 0;
  virtual com::Ref<vorlane::Instances> Instances() = 0;
  // Drops the dictionary and the two lists; DeepRefresh has no effect.
  virtual void Refresh(bool deep_refresh) = 0;
  // The process over card `process_id`: from the templates list when it is
  // made and `is_template`; from the instances list when it is made and not
  // `is_template`; otherwise a new Process over the card on every call.
  virtual com::Ref<Process> GetProcess(const std::string& process_id, bool is_template) = 0;
  // A new instance copied from the template `template_id`: State NonActive,
  // TemplateProcess the template's ID, listed in the instances list when it
  // is made. Fails with 0x80040000 "Unable to create process from process
  // instance", making no card, when the card is not a template.
  virtual com::Ref<Process> CreateProcess(const std::string& template_id) = 0;
  // Deletes the card, and takes it out of the lists that are made.
  virtual void DeleteProcess(const std::string& process_id) = 0;
  virtual com::Ref<vorlane::UserSettings> UserSettings() = 0;
};

}  // namespace vorlane
