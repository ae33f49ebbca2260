#pragma once

// The facts of the library that carries these helpers. The helpers are
// compiled into each library with hidden visibility, so every library has its
// own copy of them and of the functions below, and one library's copy never
// answers for another's.

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/com/registry.h"
#include "platform/com/string_tables.h"

namespace vorlane {

struct ModuleInfo {
  std::string_view name;                      // the module name: "Vorlane", "Process"
  int32_t default_locale;                     // the language of the library's own table: 1033
  std::span<const com::StringEntry> strings;  // that table, in ascending string number
};

// The library's own module. Each library that carries the helpers defines it
// once: the string tables generated with OWN_MODULE (see string_tables.cmake)
// do so.
const ModuleInfo& ThisModule();

// The library's live objects, for DllCanUnloadNow: each object of the
// library holds a com::ModuleObjectCount::Token of it for its lifetime.
com::ModuleObjectCount& ModuleObjects();

}  // namespace vorlane
