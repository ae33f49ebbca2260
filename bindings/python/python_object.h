#pragma once

#include <string>
#include <vector>

#include <pybind11/pybind11.h>

#include "bindings/python/python_held.h"

namespace vorlane::python {

// Any other Python object where the runtime expects an object: a dispatch
// object whose members are the Python object's attributes of the same
// names (the exact name, else one that differs only in case), found when
// first asked for. A call of a member calls the attribute; a property read
// answers a plain attribute and refuses a method (0x80020003), as objects
// without a description do; a property write sets the attribute.
// So a script writes a card host's frame and services object in Python.
//
// It holds the Python object while it lives; a Python exception in a member
// fails the call with the com::Error it becomes (ErrorFromPython).
class PythonObject final : public PythonHeld {
 public:
  explicit PythonObject(pybind11::object target) : PythonHeld(std::move(target)) {}

  const com::TypeInfo* GetTypeInfo() override { return nullptr; }
  com::DispId GetIDOfName(std::string_view name) override;
  com::Variant Invoke(com::DispId id, uint16_t flags, std::span<const com::Variant> args) override;

 private:
  std::vector<std::string> names_;  // by dispatch ID - 1
};

}  // namespace vorlane::python
