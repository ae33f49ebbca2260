#include "platform/com/string_tables.h"

#include <map>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>

#include "platform/com/text.h"

namespace com {

namespace {

// A module's strings: locale -> string number -> text.
using ModuleStrings = std::map<int32_t, std::unordered_map<int32_t, std::string>>;

}  // namespace

struct StringTables::Impl {
  mutable std::shared_mutex mutex;
  std::unordered_map<std::string, ModuleStrings, text::NoCaseHash, text::NoCaseEqual> modules;
};

StringTables::StringTables() : impl_(new Impl()) {}

StringTables& StringTables::Instance() {
  // Never destroyed: libraries register from their static initialisers and
  // may look strings up from static destructors, in any order.
  static StringTables* const instance = new StringTables();
  return *instance;
}

void StringTables::Register(std::string_view module, std::span<const StringTable> tables) {
  ModuleStrings copy;
  for (const StringTable& table : tables) {
    auto& strings = copy[table.locale];
    for (const StringEntry& e : table.entries) strings.insert_or_assign(e.id, std::string(e.text));
  }
  Impl& d = *impl_;
  std::unique_lock lock(d.mutex);
  d.modules.insert_or_assign(std::string(module), std::move(copy));
}

void StringTables::Unregister(std::string_view module) {
  Impl& d = *impl_;
  std::unique_lock lock(d.mutex);
  auto it = d.modules.find(module);
  if (it != d.modules.end()) d.modules.erase(it);
}

std::optional<std::string> StringTables::Find(std::string_view module, int32_t locale, int32_t id) const {
  Impl& d = *impl_;
  std::shared_lock lock(d.mutex);
  auto m = d.modules.find(module);
  if (m == d.modules.end()) return std::nullopt;
  auto l = m->second.find(locale);
  if (l == m->second.end()) return std::nullopt;
  auto s = l->second.find(id);
  if (s == l->second.end()) return std::nullopt;
  return s->second;
}

std::vector<int32_t> StringTables::Locales(std::string_view module) const {
  Impl& d = *impl_;
  std::shared_lock lock(d.mutex);
  std::vector<int32_t> out;
  auto m = d.modules.find(module);
  if (m == d.modules.end()) return out;
  for (const auto& [locale, strings] : m->second) out.push_back(locale);
  return out;
}

}  // namespace com
