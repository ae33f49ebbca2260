// The exchange class in the process's class registry: clients create it.
#include "objects/core/class_info.h"
#include "objects/exchange/process_import_export_object.h"

namespace vorlane {
namespace {

const com::ClassRegistrar kClasses[] = {
    com::ClassRegistrar(Creatable<ProcessImportExportObject>(ProcessImportExport::kCLSID, "ProcessImportExport")),
};

}  // namespace
}  // namespace vorlane
