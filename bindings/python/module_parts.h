#pragma once

// The parts of the `vorlane` module. Each part defines its Python names in
// its own file; module.cpp calls them in order. A new part (a function of
// the module, a family of classes) gets its own file and one line there.

#include <pybind11/pybind11.h>

namespace vorlane::python {

// ComError and the translation of com::Error (com_error.cpp). First: the
// other parts raise it.
void DefineErrors(pybind11::module_& m);
// Null and the value conversions (values.cpp).
void DefineValues(pybind11::module_& m);
// The type library's enumerations as IntEnums (enums.cpp).
void DefineEnums(pybind11::module_& m);
// Object, Method and Iterator: the proxies of dispatch objects (dispatch_proxy.cpp).
void DefineObjects(pybind11::module_& m);
// advise and unadvise (events.cpp).
void DefineEvents(pybind11::module_& m);
// create and Collection (classes.cpp).
void DefineClasses(pybind11::module_& m);
// open_store and Store: stores and sessions of the embedded platform (store.cpp).
void DefineStore(pybind11::module_& m);

}  // namespace vorlane::python
