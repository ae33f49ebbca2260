#pragma once

#include <pybind11/pybind11.h>

#include "platform/com/error.h"

namespace vorlane::python {

// The Python class vorlane.ComError. Valid once DefineErrors has run.
pybind11::handle ComErrorType();

// A ComError instance (not raised) for `code`, `source` and `description`.
pybind11::object MakeComError(com::HResult code, const std::string& source, const std::string& description);

// The HRESULT of a ComError instance.
com::HResult CodeOfComError(pybind11::handle error);

// The com::Error that a Python exception becomes when it leaves Python code
// called from the runtime (an event sink): a ComError keeps its code, source
// and description; any other exception is 0x80004005 with source "Python"
// and "ExceptionType: message" as its description.
com::Error ErrorFromPython(const pybind11::error_already_set& e);

}  // namespace vorlane::python
