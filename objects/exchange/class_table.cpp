// The exchange class in the process's class registry: clients create it.
#include "objects/common/module_info.h"
#include "objects/exchange/process_import_export_object.h"
#include "platform/com/registry.h"

namespace vorlane {
namespace {

com::ClassInfo ProcessImportExportClass() {
  com::ClassInfo info;
  info.clsid = ProcessImportExport::kCLSID;
  info.progid = "QXVorlane.ProcessImportExport";
  info.creatable = true;
  info.factory = [] { return com::Ref<com::Unknown>(com::Make<ProcessImportExportObject>()); };
  info.module = std::string(ThisModule().name);
  return info;
}

const com::ClassRegistrar kClasses[] = {com::ClassRegistrar(ProcessImportExportClass())};

}  // namespace
}  // namespace vorlane
