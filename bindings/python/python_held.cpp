#include "bindings/python/python_held.h"

#include "platform/com/text.h"

namespace py = pybind11;

namespace vorlane::python {

PythonHeld::~PythonHeld() {
  if (Py_IsInitialized()) {
    py::gil_scoped_acquire gil;
    target_ = py::object();
  } else {
    (void)target_.release();
  }
}

void* PythonHeld::QueryInterface(const com::Guid& iid) noexcept {
  if (iid == com::Unknown::kIID) return static_cast<com::Unknown*>(this);
  if (iid == com::Dispatch::kIID) return static_cast<com::Dispatch*>(this);
  return nullptr;
}

std::string PythonHeld::AttributeName(std::string_view name) const {
  if (py::hasattr(target_, std::string(name).c_str())) return std::string(name);
  for (py::handle n : py::reinterpret_steal<py::list>(PyObject_Dir(target_.ptr()))) {
    std::string candidate = py::cast<std::string>(n);
    if (text::EqualNoCase(candidate, name)) return candidate;
  }
  return "";
}

}  // namespace vorlane::python
