#pragma once

#include <cstdint>
#include <string>

// The library's string resources in the user's language. Two platform
// components serve the lookup: the LocaleProvider (the user's locale) and
// the ResourceLoader (a module's string in a locale). Each thread creates
// its own of each, by class ID through the class registry, on first use,
// and keeps it for the thread's life. A component that cannot be created is
// simply absent; creation is tried again on the next use, so that a
// platform that registers its classes later is still found.
namespace vorlane {

// What LoadLocalizedString answers when no table has the string.
inline constexpr const char kNoResourceFound[] = "NO_RESOURCE_FOUND";

// The current user's locale ID from the LocaleProvider; without one, the
// thread's locale (com::ThreadLocaleID). Fails with the provider's error.
int32_t CurrentLocaleID();

// String `id` of this library in locale `locale_id` (0: CurrentLocaleID).
// Asks the ResourceLoader for the string of this library's module; when
// there is no loader, or it fails or answers "", the library's own table
// (its default language) answers; when that has no such string either, the
// answer is "NO_RESOURCE_FOUND". Never fails.
std::string LoadLocalizedString(int32_t id, int32_t locale_id = 0);

}  // namespace vorlane
