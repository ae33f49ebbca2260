#include "platform/com/locale.h"

#include <array>
#include <atomic>

namespace com {
namespace {

constexpr std::array<LocaleFacts, 9> kLocales{{
    {1033, "en-US", ".", "M/d/yyyy", true},
    {2057, "en-GB", ".", "dd/MM/yyyy", false},
    {1031, "de-DE", ",", "dd.MM.yyyy", false},
    {1036, "fr-FR", ",", "dd/MM/yyyy", false},
    {1049, "ru-RU", ",", "dd.MM.yyyy", false},
    {1058, "uk-UA", ",", "dd.MM.yyyy", false},
    {1062, "lv-LV", ",", "dd.MM.yyyy", false},
    {1087, "kk-KZ", ",", "dd.MM.yyyy", false},
    {1059, "be-BY", ",", "dd.MM.yyyy", false},
}};

thread_local int thread_locale = 1033;

}  // namespace

std::atomic<uint64_t> detail::thread_changes{0};

const LocaleFacts& FactsOf(int lcid) {
  for (const auto& f : kLocales) {
    if (f.id == lcid) return f;
  }
  return kLocales[0];
}

bool IsKnownLocale(int lcid) {
  for (const auto& f : kLocales) {
    if (f.id == lcid) return true;
  }
  return false;
}

std::span<const LocaleFacts> KnownLocales() { return kLocales; }

int ThreadLocaleID() { return thread_locale; }
void SetThreadLocaleID(int lcid) {
  thread_locale = lcid;
  NoteThreadChange();
}

}  // namespace com
