#pragma once

#include <string>
#include <string_view>

#include "platform/com/variant.h"
#include "vorlane/enums.h"

// Typed variable values as invariant text: the stored form of variable
// values, the same in every locale. Numbers use "." as the decimal
// separator, dates are day serial numbers (days since 30 December 1899, the
// fraction being the time of day), Booleans are "1" and "0".
namespace vorlane {

// The decimal separator of the thread's locale: the text form of 1.1
// without its first and last character ("," in Russian, "." in English).
std::string DecimalSeparator();

// The invariant text of `value` as a value of `type`. Null, Empty and ""
// give "" for every type; a type code outside VarTypeEnum gives "".
// Integer: decimal text of the value as a 32-bit integer; Float: the value
// as a double; Boolean: "1" or "0"; DateTime: the date's serial number,
// written as Float; Generic, String, Enum: the value as text. A value that
// does not convert fails with the conversion's error.
std::string ValueToText(VarTypeEnum type, const com::Variant& value);

// The typed value of invariant text `text`. "" gives an empty text value for
// every type; a type code outside VarTypeEnum gives Empty. Integer: I4;
// Float: R8; Boolean: True exactly when the text's integer value is 1;
// DateTime: the text as a date when it reads as one in the thread's locale,
// else the text read as Float and taken as a serial number; Generic, String,
// Enum: the text itself. Text that does not convert fails with the
// conversion's error.
com::Variant TextToValue(std::string_view text, VarTypeEnum type);

}  // namespace vorlane
