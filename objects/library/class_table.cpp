// The library's entry classes in the process's class registry: Library is
// what clients create; the lists and the settings are handed out by it.
#include "objects/common/module_info.h"
#include "objects/library/library_object.h"
#include "platform/com/registry.h"

namespace vorlane {
namespace {

com::ClassInfo Class(const com::Guid& clsid, const char* name) {
  com::ClassInfo info;
  info.clsid = clsid;
  info.progid = std::string("QXVorlane.") + name;
  info.creatable = false;
  info.module = std::string(ThisModule().name);
  return info;
}

com::ClassInfo LibraryClass() {
  com::ClassInfo info = Class(Library::kCLSID, "Library");
  info.creatable = true;
  info.factory = [] { return com::Ref<com::Unknown>(com::Make<LibraryObject>()); };
  return info;
}

const com::ClassRegistrar kClasses[] = {
    com::ClassRegistrar(LibraryClass()),
    com::ClassRegistrar(Class(Templates::kCLSID, "Templates")),
    com::ClassRegistrar(Class(Instances::kCLSID, "Instances")),
    com::ClassRegistrar(Class(UserSettings::kCLSID, "UserSettings")),
};

}  // namespace
}  // namespace vorlane
