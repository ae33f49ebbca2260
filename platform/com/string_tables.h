#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace com {

// One string resource: its number and its UTF-8 text.
struct StringEntry {
  int32_t id;
  std::string_view text;
};

// The strings of one language of a module.
struct StringTable {
  int32_t locale;  // Windows locale ID: 1033, 1049, ...
  std::span<const StringEntry> entries;
};

// The string resources of every library loaded in the process, by module
// name ("Vorlane", "Process"), language and string number. Each library
// registers its tables when it loads; the platform's resource loader answers
// from here. One registry per process, in the runtime library.
class StringTables {
 public:
  static StringTables& Instance();

  // Registers every table of `module`, replacing whatever the module
  // registered before. The texts are copied, so the tables stay valid after
  // the library that registered them is unloaded (a reload replaces them).
  // Module names match without regard to case.
  void Register(std::string_view module, std::span<const StringTable> tables);
  // Forgets every table of `module`; nothing happens for an unknown module.
  void Unregister(std::string_view module);

  // String `id` of `module` in exactly `locale`: nullopt when the module has
  // no table for that locale or the table no such string. Falling back to
  // another language is the caller's rule, not this registry's.
  std::optional<std::string> Find(std::string_view module, int32_t locale, int32_t id) const;
  // The locales for which `module` has a table, ascending.
  std::vector<int32_t> Locales(std::string_view module) const;

 private:
  StringTables();
  struct Impl;
  Impl* const impl_;  // lives as long as the process
};

}  // namespace com
