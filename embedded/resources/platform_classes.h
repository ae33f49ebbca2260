#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/com/dispatch.h"
#include "platform/ostrel/locale_provider.h"
#include "platform/ostrel/resource_loader.h"

namespace embedded::resources {

// The module name of the platform classes' library, under which they are
// registered (and written to the registry file by its DllRegisterServer).
inline constexpr std::string_view kModule = "Ostrel";

// The current user's locale: the locale of the thread's current session
// (embedded::ThreadSessionLocale), 1033 when the thread has none.
class SessionLocaleProvider final : public com::Object<ostrel::LocaleProvider> {
 public:
  int32_t GetLocaleID() override;
};

// A library's string in a language, from the tables the libraries register
// when they load (com::StringTables); "" when the module has no such string
// in exactly that language (falling back is the caller's rule).
class TableResourceLoader final : public com::Object<ostrel::ResourceLoader> {
 public:
  std::string LoadString(std::string_view module, int32_t string_id, int32_t locale_id) override;
};

}  // namespace embedded::resources
