#include "bindings/python/python_object.h"

#include <stdexcept>

#include "bindings/python/com_error.h"
#include "bindings/python/values.h"
#include "platform/com/text.h"

namespace py = pybind11;

namespace vorlane::python {

PythonObject::~PythonObject() {
  // As a sink's: let go under the GIL, or left alone after the interpreter.
  if (Py_IsInitialized()) {
    py::gil_scoped_acquire gil;
    target_ = py::object();
  } else {
    (void)target_.release();
  }
}

void* PythonObject::QueryInterface(const com::Guid& iid) noexcept {
  if (iid == com::Unknown::kIID) return static_cast<com::Unknown*>(this);
  if (iid == com::Dispatch::kIID) return static_cast<com::Dispatch*>(this);
  return nullptr;
}

com::DispId PythonObject::GetIDOfName(std::string_view name) {
  py::gil_scoped_acquire gil;
  std::string found;
  if (py::hasattr(target_, std::string(name).c_str())) {
    found = name;
  } else {
    // Names bind without regard to case, as every dispatch name does.
    for (py::handle n : py::reinterpret_steal<py::list>(PyObject_Dir(target_.ptr()))) {
      std::string candidate = py::cast<std::string>(n);
      if (text::EqualNoCase(candidate, name)) {
        found = candidate;
        break;
      }
    }
  }
  if (found.empty()) throw com::Error(com::hr::kUnknownName, "Python", "Unknown name: " + std::string(name));
  for (size_t i = 0; i < names_.size(); ++i) {
    if (names_[i] == found) return static_cast<com::DispId>(i + 1);
  }
  names_.push_back(found);
  return static_cast<com::DispId>(names_.size());
}

com::Variant PythonObject::Invoke(com::DispId id, uint16_t flags, std::span<const com::Variant> args) {
  if (id < 1 || static_cast<size_t>(id) > names_.size()) throw com::Error(com::hr::kUnknownName);
  const std::string& name = names_[static_cast<size_t>(id) - 1];
  py::gil_scoped_acquire gil;
  try {
    if (flags & (com::kInvokeLet | com::kInvokeSet)) {
      if (args.size() != 1) throw com::Error(com::hr::kBadParamCount);
      py::setattr(target_, name.c_str(), FromVariant(args[0]));
      return com::Variant();
    }
    py::object member = py::getattr(target_, name.c_str());
    if (!PyCallable_Check(member.ptr())) {
      if (!args.empty()) throw com::Error(com::hr::kBadParamCount);
      return ToVariant(member);
    }
    // A method refuses a property read: that tells callers without a
    // description that the name is a method to call.
    if (!(flags & com::kInvokeMethod)) throw com::Error(com::hr::kMemberNotFound);
    py::tuple values(args.size());
    for (size_t i = 0; i < args.size(); ++i) values[i] = FromVariant(args[i]);
    return ToVariant(member(*values));
  } catch (const py::error_already_set& e) {
    // The caller is C++: a Python failure goes back to it as a com::Error.
    throw ErrorFromPython(e);
  } catch (const std::overflow_error& e) {
    // The member's result is an int the runtime cannot hold.
    throw com::Error(com::hr::kOverflow, "Python", e.what());
  } catch (const py::builtin_exception& e) {
    // A value that does not cross fails the call as a type mismatch.
    throw com::Error(com::hr::kTypeMismatch, "Python", e.what());
  }
}

}  // namespace vorlane::python
