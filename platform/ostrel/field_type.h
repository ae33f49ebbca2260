#pragma once

#include <cstdint>
#include <string>

#include "platform/com/dispatch.h"

namespace ostrel {

// One field of a section type.
class FieldType : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{2CC0E20A-0882-4E5B-868D-4CDF3B478953}"};
  static const com::TypeInfo& DispatchInfo();

  virtual std::string GetName() = 0;
  // The type code (field_type_codes.h).
  virtual int32_t GetType() = 0;
  // field_flag bits.
  virtual int32_t GetFlags() = 0;
  // The value a new row starts with; Null when the schema gives none (also
  // for fields whose new rows get a fresh GUID).
  virtual com::Variant GetDefaultValue() = 0;
};

}  // namespace ostrel
