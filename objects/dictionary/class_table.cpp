// The dictionary classes of the library in the process's class registry.
// None is creatable by clients: the Library hands the dictionary out.
#include "objects/core/class_info.h"
#include "vorlane/dictionary.h"

namespace vorlane {
namespace {

const com::ClassRegistrar kClasses[] = {
    com::ClassRegistrar(HandedOut(Dictionary::kCLSID, "Dictionary")),
    com::ClassRegistrar(HandedOut(DictFunctions::kCLSID, "DictFunctions")),
    com::ClassRegistrar(HandedOut(DictFunction::kCLSID, "DictFunction")),
    com::ClassRegistrar(HandedOut(DictGates::kCLSID, "DictGates")),
    com::ClassRegistrar(HandedOut(DictGate::kCLSID, "DictGate")),
};

}  // namespace
}  // namespace vorlane
