#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/com/unknown.h"

namespace ostrel {

// The platform's component that finds a library's string resources in a
// given language. Libraries create it by class ID through the class registry
// (com::CreateInstance); the platform registers it as ProgID
// "Ostrel.ResourceLoader". The strings themselves are the tables each library
// registers in com::StringTables under its module name when it loads.
//
// Class ID {FB1155CF-C673-490F-A51A-802CA0EC4353}, interface ID
// {C98FE616-B8CD-44F5-8A11-786B36955FDF}.
class ResourceLoader : public virtual com::Unknown {
 public:
  static constexpr com::Guid kIID{"{C98FE616-B8CD-44F5-8A11-786B36955FDF}"};
  static constexpr com::Guid kCLSID{"{FB1155CF-C673-490F-A51A-802CA0EC4353}"};

  // String `string_id` of module `module` ("Vorlane", "Process") in locale
  // `locale_id`. Answers "" when the module has no such string in that
  // language, or fails with a com::Error; callers treat both as "not found".
  virtual std::string LoadString(std::string_view module, int32_t string_id, int32_t locale_id) = 0;
};

}  // namespace ostrel
