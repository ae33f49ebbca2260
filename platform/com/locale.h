#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string_view>

namespace com {

// The facts about a locale that conversions need, from our own table: the
// process-wide C locale and named std::locales are not used, since one is
// shared by every thread and the others may be missing on the machine.
struct LocaleFacts {
  int id;                         // Windows locale ID, e.g. 1033
  std::string_view name;          // "en-US"
  std::string_view decimal;       // decimal separator
  // Short date form: 'd', 'M', 'y' stand for day, month and year (a doubled
  // letter pads to two digits, "yyyy" is the four-digit year); any other
  // character is the separator.
  std::string_view short_date;
  bool twelve_hour;               // time with AM/PM
};

// The facts of `lcid`; an unknown locale falls back to 1033.
const LocaleFacts& FactsOf(int lcid);
// True when the table knows `lcid`.
bool IsKnownLocale(int lcid);
// Every locale of the table, 1033 first.
std::span<const LocaleFacts> KnownLocales();

// The locale in which the calling thread converts values to text and back.
// Each thread has its own; it starts at 1033. The embedded platform sets it
// to the user's locale when a session is opened or used on the thread.
int ThreadLocaleID();
void SetThreadLocaleID(int lcid);
// A count that moves whenever any thread sets its locale, or tells of
// another change of what it runs under (NoteThreadChange). A caller that
// set up its thread knows that nothing changed there since when the count
// has not moved, which is cheaper to tell than setting the locale again.
// Read inline: every platform call asks.
namespace detail {
extern std::atomic<uint64_t> thread_changes;
}
// Relaxed: a thread needs to see only its own changes, which it always does.
inline uint64_t ThreadChanges() { return detail::thread_changes.load(std::memory_order_relaxed); }
inline void NoteThreadChange() { detail::thread_changes.fetch_add(1, std::memory_order_relaxed); }

// Sets the thread's locale for the life of the object, then restores it.
class ScopedThreadLocale {
 public:
  explicit ScopedThreadLocale(int lcid) : saved_(ThreadLocaleID()) { SetThreadLocaleID(lcid); }
  ~ScopedThreadLocale() { SetThreadLocaleID(saved_); }
  ScopedThreadLocale(const ScopedThreadLocale&) = delete;
  ScopedThreadLocale& operator=(const ScopedThreadLocale&) = delete;

 private:
  int saved_;
};

}  // namespace com
