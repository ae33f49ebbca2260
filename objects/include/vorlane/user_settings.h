#pragma once

#include "platform/com/dispatch.h"

namespace vorlane {

// _UserSettings: the current user's choices for process export and import,
// a live wrapper over the row of the user's settings card. A setting never
// made reads False. Writing only sets the field: when the change reaches
// storage is the platform's business (at once, outside an update bracket).
// Handed out by Library.UserSettings.
class UserSettings : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{DE6E3260-8995-48D0-8524-F8DA8397B650}"};
  static constexpr com::Guid kCLSID{"{DAB3A103-AA6C-4CBD-9F11-7C44CA78FEC8}"};
  static const com::TypeInfo& DispatchInfo();

  virtual bool ShowExportDialog() = 0;
  virtual void SetShowExportDialog(bool value) = 0;
  virtual bool ShowImportDialog() = 0;
  virtual void SetShowImportDialog(bool value) = 0;
  virtual bool ExportWithSubprocesses() = 0;
  virtual void SetExportWithSubprocesses(bool value) = 0;
  virtual bool ImportWithSubprocesses() = 0;
  virtual void SetImportWithSubprocesses(bool value) = 0;
};

}  // namespace vorlane
