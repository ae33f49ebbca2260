#pragma once

#include <exception>
#include <string>

#include "platform/com/hresult.h"

namespace com {

// A failed call: the COM error of the platform and of both libraries.
// Every failure travels as this exception, so that a failing call fails each
// caller above it with the same code and text.
class Error : public std::exception {
 public:
  // The description defaults to the standard text of the code.
  explicit Error(HResult code);
  Error(HResult code, std::string source, std::string description);

  HResult code() const { return code_; }
  const std::string& source() const { return source_; }
  const std::string& description() const { return description_; }

  // "0x800A000D: Type mismatch".
  std::string ToString() const;
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  HResult code_;
  std::string source_;
  std::string description_;
  std::string what_;
};

// "0x800A000D".
std::string HexCode(HResult code);

}  // namespace com
