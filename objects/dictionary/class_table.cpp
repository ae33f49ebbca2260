// The dictionary classes of the library in the process's class registry.
// None is creatable by clients: the Library hands the dictionary out.
#include "objects/common/module_info.h"
#include "platform/com/registry.h"
#include "vorlane/dictionary.h"

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
    com::ClassRegistrar(Handed(Dictionary::kCLSID, "Dictionary")),
    com::ClassRegistrar(Handed(DictFunctions::kCLSID, "DictFunctions")),
    com::ClassRegistrar(Handed(DictFunction::kCLSID, "DictFunction")),
    com::ClassRegistrar(Handed(DictGates::kCLSID, "DictGates")),
    com::ClassRegistrar(Handed(DictGate::kCLSID, "DictGate")),
};

}  // namespace
}  // namespace vorlane
