#pragma once

#include "objects/core/row_wrapper.h"
#include "platform/com/variant.h"
#include "vorlane/enums.h"

namespace vorlane {

// The base of the wrappers whose row holds a typed value: a variable's row
// and a value's row. The value lives in the row's "Value" field; a text of
// more than 1024 characters is kept whole in the "Value" field of the row's
// one-row spare sub-section, the row holding its first 1024 characters, and
// "UseSparedValue" says which copy is in force. Texts of 32001 characters or
// more are kept escaped.
class ValueRowWrapper : public RowWrapper {
 public:
  bool GetUseSparedValue() const { return GetBool("UseSparedValue"); }
  void SetUseSparedValue(bool value) const { PutBool("UseSparedValue", value); }

 protected:
  // `spare_section`: the ID of the row's spare sub-section (a static text).
  explicit ValueRowWrapper(const char* spare_section) : spare_section_(spare_section) {}
  ~ValueRowWrapper() = default;

  // The type that decides how text is stored and read back; asked only when
  // it is needed, so a row with spare text reads without it.
  virtual VarTypeEnum ValueType() = 0;

  // The spare text when it is in force; else the field: as text for a
  // String value, as stored for every other type (Null stays Null).
  com::Variant ReadValue();
  // Stores `value`: text of a Generic or String value as text (the text
  // path), anything else as it is given (the direct path, which also puts
  // the row's own field back in force). True when the value changed: exactly
  // one of the old and new values is Null, or neither is and they compare
  // unequal by the runtime's comparison (texts case-sensitively).
  bool WriteValue(const com::Variant& value);

 private:
  com::Variant SpareText() const;
  com::Variant FieldValue(VarTypeEnum type) const;

  const char* spare_section_;
};

}  // namespace vorlane
