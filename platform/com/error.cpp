#include "platform/com/error.h"

#include <cstdio>

namespace com {

std::string_view StandardDescription(HResult code) {
  switch (code) {
    case hr::kUnexpected: return "Catastrophic failure";
    case hr::kNotImplemented: return "Not implemented";
    case hr::kNoInterface: return "No such interface supported";
    case hr::kPointer: return "Invalid pointer";
    case hr::kFail: return "Unspecified error";
    case hr::kInvalidArg: return "The parameter is incorrect.";
    case hr::kOutOfMemory: return "Out of memory";
    case hr::kInvalidProcedureCall: return "Invalid procedure call or argument";
    case hr::kOverflow: return "Overflow";
    case hr::kSubscriptOutOfRange: return "Subscript out of range";
    case hr::kTypeMismatch: return "Type mismatch";
    case hr::kObjectNotSet: return "Object variable not set";
    case hr::kInvalidUseOfNull: return "Invalid use of Null";
    case hr::kDuplicateKey: return "This key is already associated with an element of this collection";
    case hr::kMemberNotFound: return "Member not found.";
    case hr::kParamNotFound: return "Parameter not found.";
    case hr::kDispTypeMismatch: return "Type mismatch.";
    case hr::kUnknownName: return "Unknown name.";
    case hr::kBadParamCount: return "Invalid number of parameters.";
    case hr::kClassNotRegistered: return "Class not registered";
    case hr::kClassNotCreatable: return "Class is not creatable by clients";
    case hr::kCannotConnect: return "Cannot connect: the sink does not offer the outgoing interface";
    case hr::kNoConnection: return "No connection with that cookie";
    default: return "";
  }
}

std::string HexCode(HResult code) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<uint32_t>(code));
  return buf;
}

Error::Error(HResult code) : Error(code, "", std::string(StandardDescription(code))) {}

Error::Error(HResult code, std::string source, std::string description)
    : code_(code), source_(std::move(source)), description_(std::move(description)), what_(ToString()) {}

std::string Error::ToString() const { return HexCode(code_) + ": " + description_; }

}  // namespace com
