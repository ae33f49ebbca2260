#pragma once

#include <pybind11/pybind11.h>

#include "platform/com/dispatch.h"
#include "platform/com/variant.h"

namespace vorlane::python {

// The vorlane.Null singleton. Valid once DefineValues has run.
pybind11::handle NullValue();

// A Python value as a Variant (the table in the module's docstring). Raises
// TypeError for a value that has no automation form, OverflowError for an
// int outside 32 bits, ValueError for a date the runtime cannot hold, and
// RecursionError for a list that contains itself.
com::Variant ToVariant(pybind11::handle value);

// The same for an argument of a member whose parameter is `param` (nullptr
// when unknown): None given for an object parameter is Nothing, not Empty.
com::Variant ToArgument(pybind11::handle value, const com::ParamInfo* param);

// A Variant as a Python value; objects become vorlane.Object proxies.
pybind11::object FromVariant(const com::Variant& value);

}  // namespace vorlane::python
