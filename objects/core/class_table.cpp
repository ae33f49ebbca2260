// The classes of the library in the process's class registry. None of these
// is creatable by clients: their owners hand them out.
#include "objects/common/module_info.h"
#include "platform/com/registry.h"
#include "vorlane/process.h"

namespace vorlane {
namespace {

com::ClassInfo Handed(const com::Guid& clsid, const char* name) {
  com::ClassInfo info;
  info.clsid = clsid;
  info.progid = std::string("QXVorlane.") + name;
  info.creatable = false;
  info.module = std::string(ThisModule().name);
  return info;
}

const com::ClassRegistrar kClasses[] = {
    com::ClassRegistrar(Handed(Process::kCLSID, "Process")),
    com::ClassRegistrar(Handed(Functions::kCLSID, "Functions")),
    com::ClassRegistrar(Handed(ProcFunction::kCLSID, "ProcFunction")),
    com::ClassRegistrar(Handed(Gates::kCLSID, "Gates")),
    com::ClassRegistrar(Handed(Gate::kCLSID, "Gate")),
    com::ClassRegistrar(Handed(Links::kCLSID, "Links")),
    com::ClassRegistrar(Handed(Link::kCLSID, "Link")),
    com::ClassRegistrar(Handed(PassStates::kCLSID, "PassStates")),
    com::ClassRegistrar(Handed(PassState::kCLSID, "PassState")),
};

}  // namespace
}  // namespace vorlane
