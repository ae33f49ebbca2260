#pragma once

#include <cstdint>

#include "platform/com/dispatch.h"
#include "platform/ostrel/locale_provider.h"

namespace embedded::resources {

// The current user's locale: the locale of the thread's current session
// (embedded::ThreadSessionLocale), 1033 when the thread has none.
class SessionLocaleProvider final : public com::Object<ostrel::LocaleProvider> {
 public:
  int32_t GetLocaleID() override;
};

}  // namespace embedded::resources
