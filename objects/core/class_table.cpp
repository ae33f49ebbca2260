// The classes of the library in the process's class registry. None of these
// is creatable by clients: their owners hand them out.
#include "objects/core/class_info.h"
#include "vorlane/process.h"

namespace vorlane {
namespace {

const com::ClassRegistrar kClasses[] = {
    com::ClassRegistrar(HandedOut(Process::kCLSID, "Process")),
    com::ClassRegistrar(HandedOut(Functions::kCLSID, "Functions")),
    com::ClassRegistrar(HandedOut(ProcFunction::kCLSID, "ProcFunction")),
    com::ClassRegistrar(HandedOut(Gates::kCLSID, "Gates")),
    com::ClassRegistrar(HandedOut(Gate::kCLSID, "Gate")),
    com::ClassRegistrar(HandedOut(Links::kCLSID, "Links")),
    com::ClassRegistrar(HandedOut(Link::kCLSID, "Link")),
    com::ClassRegistrar(HandedOut(PassStates::kCLSID, "PassStates")),
    com::ClassRegistrar(HandedOut(PassState::kCLSID, "PassState")),
};

}  // namespace
}  // namespace vorlane
