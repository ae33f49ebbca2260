#pragma once

#include <cstdint>
#include <string_view>

namespace com {

// A COM status code: negative values are failures.
using HResult = int32_t;

constexpr bool Failed(HResult hr) { return hr < 0; }
constexpr HResult MakeHResult(uint32_t bits) { return static_cast<HResult>(bits); }

// Every code the runtime and the libraries raise, each defined once.
namespace hr {
// Success.
inline constexpr HResult kOk = 0;
// Success, answering "no" (a count of zero, nothing to do).
inline constexpr HResult kFalse = 1;
// An unexpected internal state.
inline constexpr HResult kUnexpected = MakeHResult(0x8000FFFFu);
// The member exists in the interface but this object does not carry it out.
inline constexpr HResult kNotImplemented = MakeHResult(0x80004001u);
// QueryInterface: the object has no such interface.
inline constexpr HResult kNoInterface = MakeHResult(0x80004002u);
// A null object where one was required.
inline constexpr HResult kPointer = MakeHResult(0x80004003u);
// Unspecified failure.
inline constexpr HResult kFail = MakeHResult(0x80004005u);
// The object refuses the change in its present state (a read-only
// designer, or one that shows no process).
inline constexpr HResult kAccessDenied = MakeHResult(0x80070005u);
// An argument is out of the values the call accepts.
inline constexpr HResult kInvalidArg = MakeHResult(0x80070057u);
// Allocation failed.
inline constexpr HResult kOutOfMemory = MakeHResult(0x8007000Eu);

// Runtime errors, numbered as the automation runtime numbers them.
// Invalid procedure call or argument: a key that is not in a collection.
inline constexpr HResult kInvalidProcedureCall = MakeHResult(0x800A0005u);
// Overflow: a number out of the target type's range.
inline constexpr HResult kOverflow = MakeHResult(0x800A0006u);
// Subscript out of range: a position that is not in a collection.
inline constexpr HResult kSubscriptOutOfRange = MakeHResult(0x800A0009u);
// Type mismatch: a value that does not convert to the type asked for.
inline constexpr HResult kTypeMismatch = MakeHResult(0x800A000Du);
// Object variable not set: an object used before it was attached to data.
inline constexpr HResult kObjectNotSet = MakeHResult(0x800A005Bu);
// Invalid use of Null: Null converted to a plain value.
inline constexpr HResult kInvalidUseOfNull = MakeHResult(0x800A005Eu);
// This key is already associated with an element of this collection.
inline constexpr HResult kDuplicateKey = MakeHResult(0x800A01C9u);

// Dispatch errors.
// The member exists but not with the kind of call made (a let of a read-only property).
inline constexpr HResult kMemberNotFound = MakeHResult(0x80020003u);
// A required argument is missing; also the value of a missing optional argument.
inline constexpr HResult kParamNotFound = MakeHResult(0x80020004u);
// An argument does not convert to the parameter's type.
inline constexpr HResult kDispTypeMismatch = MakeHResult(0x80020005u);
// No member of that name or dispatch ID.
inline constexpr HResult kUnknownName = MakeHResult(0x80020006u);
// More arguments than the member takes.
inline constexpr HResult kBadParamCount = MakeHResult(0x8002000Eu);

// Class registry.
// No factory for the class ID or ProgID.
inline constexpr HResult kClassNotRegistered = MakeHResult(0x80040154u);
// The class exists but may not be created by clients.
inline constexpr HResult kClassNotCreatable = MakeHResult(0x80040111u);
// Connection points: the sink does not offer the outgoing interface.
inline constexpr HResult kCannotConnect = MakeHResult(0x80040202u);
// Connection points: no connection with that cookie.
inline constexpr HResult kNoConnection = MakeHResult(0x80040200u);
}  // namespace hr

// The standard English text of a code, "" when it has none.
std::string_view StandardDescription(HResult hr);

}  // namespace com
