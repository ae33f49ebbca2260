#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/com/dispatch.h"
#include "platform/ostrel/resource_loader.h"

namespace embedded::resources {

// A library's string in a language, from the tables the libraries register
// when they load (com::StringTables); "" when the module has no such string
// in exactly that language (falling back is the caller's rule).
class TableResourceLoader final : public com::Object<ostrel::ResourceLoader> {
 public:
  std::string LoadString(std::string_view module, int32_t string_id, int32_t locale_id) override;
};

}  // namespace embedded::resources
