// The library's entry classes in the process's class registry: Library is
// what clients create; the lists and the settings are handed out by it.
#include "objects/core/class_info.h"
#include "objects/library/library_object.h"

namespace vorlane {
namespace {

const com::ClassRegistrar kClasses[] = {
    com::ClassRegistrar(Creatable<LibraryObject>(Library::kCLSID, "Library")),
    com::ClassRegistrar(HandedOut(Templates::kCLSID, "Templates")),
    com::ClassRegistrar(HandedOut(Instances::kCLSID, "Instances")),
    com::ClassRegistrar(HandedOut(UserSettings::kCLSID, "UserSettings")),
};

}  // namespace
}  // namespace vorlane
