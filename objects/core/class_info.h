#pragma once

// How the library's classes are entered in the process's class registry:
// under the library's module, with the ProgID of the type library
// ("QXVorlane." + class name).
#include <string>

#include "common/module_info.h"
#include "platform/com/registry.h"

namespace vorlane {

// A class its owners hand out; clients cannot create it.
inline com::ClassInfo HandedOut(const com::Guid& clsid, const char* name) {
  com::ClassInfo info;
  info.clsid = clsid;
  info.progid = std::string("QXVorlane.") + name;
  info.creatable = false;
  info.module = std::string(ThisModule().name);
  return info;
}

// A class clients create; the factory makes a new Impl (attached to
// nothing, for the classes whose owners attach them).
template <class Impl>
com::ClassInfo Creatable(const com::Guid& clsid, const char* name) {
  com::ClassInfo info = HandedOut(clsid, name);
  info.creatable = true;
  info.factory = [] { return com::Ref<com::Unknown>(com::Make<Impl>()); };
  return info;
}

}  // namespace vorlane
