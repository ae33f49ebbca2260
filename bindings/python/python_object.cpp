#include "bindings/python/python_object.h"

#include <stdexcept>

#include "bindings/python/com_error.h"
#include "bindings/python/values.h"

namespace py = pybind11;

namespace vorlane::python {

com::DispId PythonObject::GetIDOfName(std::string_view name) {
  py::gil_scoped_acquire gil;
  const std::string found = AttributeName(name);
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
