#pragma once

#include "platform/com/hresult.h"

// The own error numbers of the libraries that carry these helpers, from
// 0x80040000 up; the descriptions are English and given where each error is
// raised.
namespace vorlane::err {

// A failure of the library's own: "StringFromGUID2 failed" when a new GUID
// cannot be written as text, "Unable to create process from process
// instance" when an instance is used as a template.
inline constexpr com::HResult kLibraryError = com::MakeHResult(0x80040000u);
// Import data that holds no process: "Specified data does not contain
// business-process." (string 1020 of the library's table).
inline constexpr com::HResult kNoProcessInData = com::MakeHResult(0x80040001u);

}  // namespace vorlane::err
