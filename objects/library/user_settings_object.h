#pragma once

#include "objects/core/row_wrapper.h"
#include "vorlane/user_settings.h"

namespace vorlane {

class UserSettingsObject final : public com::Object<UserSettings>, public RowWrapper {
 public:
  bool ShowExportDialog() override { return GetBool("ShowExportDialog"); }
  void SetShowExportDialog(bool v) override { PutBool("ShowExportDialog", v); }
  bool ShowImportDialog() override { return GetBool("ShowImportDialog"); }
  void SetShowImportDialog(bool v) override { PutBool("ShowImportDialog", v); }
  bool ExportWithSubprocesses() override { return GetBool("ExportWithSubprocesses"); }
  void SetExportWithSubprocesses(bool v) override { PutBool("ExportWithSubprocesses", v); }
  bool ImportWithSubprocesses() override { return GetBool("ImportWithSubprocesses"); }
  void SetImportWithSubprocesses(bool v) override { PutBool("ImportWithSubprocesses", v); }
};

}  // namespace vorlane
