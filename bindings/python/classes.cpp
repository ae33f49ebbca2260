// create and Collection: new objects of the runtime's classes.

#include <string>

#include "bindings/python/dispatch_proxy.h"
#include "bindings/python/module_parts.h"
#include "platform/com/collection.h"
#include "platform/com/registry.h"

namespace py = pybind11;

namespace vorlane::python {

void DefineClasses(py::module_& m) {
  m.def(
      "create", [](const std::string& progid) { return WrapObject(com::CreateObject(progid)); }, py::arg("progid"),
      "A new object of a creatable class, by ProgID (\"QXVorlane.Library\") or class ID text.\n"
      "Raises ComError 0x80040154 for a class that is not registered.");
  m.def(
      "Collection", [] { return WrapObject(com::Make<com::KeyedList>()); },
      "A new keyed collection of the runtime (as create(\"QXVorlane.Collection\") makes).");
}

}  // namespace vorlane::python
