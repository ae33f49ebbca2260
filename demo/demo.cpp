// What the system can do so far, shown on real components: the automation
// runtime's value conversions in two locales, and a keyed collection driven
// through dispatch exactly as a script drives it.
#include <cstdio>
#include <string>

#include "platform/com/collection.h"
#include "platform/com/locale.h"

namespace {

using com::Variant;

std::string Try(const Variant& v, Variant::Type to) {
  try {
    return com::DebugString(v.ChangeType(to));
  } catch (const com::Error& e) {
    return e.ToString();
  }
}

void ConversionTable() {
  std::printf("Value conversions (the automation runtime's rules)\n");
  std::printf("%-28s %-6s %-32s %s\n", "value", "to", "en-US (1033)", "ru-RU (1049)");
  struct Row {
    Variant v;
    Variant::Type to;
  } rows[] = {
      {Variant(2.5), Variant::Type::I4},         {Variant(3.5), Variant::Type::I4},
      {Variant(1.5), Variant::Type::Text},       {Variant("1,5"), Variant::Type::R8},
      {Variant("1.5"), Variant::Type::R8},       {Variant(true), Variant::Type::I2},
      {Variant(40000), Variant::Type::I2},       {Variant(), Variant::Type::Text},
      {Variant::Null(), Variant::Type::I4},      {Variant("2026-12-08T18:00:00"), Variant::Type::Date},
      {Variant(com::Date{46364.75}), Variant::Type::Text}, {Variant(1e20), Variant::Type::Text},
  };
  for (const Row& r : rows) {
    std::string en, ru;
    {
      com::ScopedThreadLocale l(1033);
      en = Try(r.v, r.to);
    }
    {
      com::ScopedThreadLocale l(1049);
      ru = Try(r.v, r.to);
    }
    std::printf("%-28s %-6s %-32s %s\n", com::DebugString(r.v).c_str(), std::string(com::TypeName(r.to)).c_str(),
                en.c_str(), ru.c_str());
  }
}

void CollectionThroughDispatch() {
  std::printf("\nA keyed collection driven by name, as a script would\n");
  auto list = com::Make<com::KeyedList>();
  com::Unknown* obj = static_cast<com::Collection*>(list.get());
  for (const char* id : {"{0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4D}", "{10105DC1-8B61-4A76-B719-02D679662606}"}) {
    Variant args[] = {Variant(std::string("item ") + id), Variant(id)};
    com::CallMethod(obj, "Add", args);
  }
  std::printf("  Count = %s\n", com::GetProperty(obj, "count").ToText().c_str());
  Variant key[] = {Variant("{10105dc1-8b61-4a76-b719-02d679662606}")};
  std::printf("  Item(lower-case key) = %s\n", com::GetProperty(obj, "Item", key).ToText().c_str());
  try {
    Variant dup[] = {Variant("again"), Variant("{0ef6bcca-7a09-4027-a3a2-d2eeeca1bf4d}")};
    com::CallMethod(obj, "Add", dup);
  } catch (const com::Error& e) {
    std::printf("  Add under a key already present: %s\n", e.ToString().c_str());
  }
}

}  // namespace

int main() {
  ConversionTable();
  CollectionThroughDispatch();
  return 0;
}
