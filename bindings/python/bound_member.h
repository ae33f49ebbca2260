#pragma once

#include <string>

#include <pybind11/pybind11.h>

#include "platform/com/dispatch.h"

namespace vorlane::python {

// A method (or a property that takes arguments) of one object, ready to be
// called: obj.Add is a BoundMember, obj.Add(x) calls it. It holds the
// object, so the object lives as long as the bound member does.
class BoundMember {
 public:
  BoundMember(com::Ref<com::Dispatch> object, com::DispId id, std::string name, uint16_t flags)
      : object_(std::move(object)), id_(id), name_(std::move(name)), flags_(flags) {}

  // Positional arguments in order; trailing optional ones may be left out.
  // Keyword arguments name parameters (without regard to case) and may skip
  // optional ones in the middle, which the runtime then treats as missing.
  pybind11::object Call(pybind11::args args, pybind11::kwargs kwargs) const;
  // "<vorlane method _Collection.Add>".
  std::string Repr() const;
  // The member with its parameters, for help().
  std::string Doc() const;

 private:
  com::Ref<com::Dispatch> object_;
  com::DispId id_;
  std::string name_;
  uint16_t flags_;
};

// Calls member `id` of `object` with `flags` and the Python arguments, as
// BoundMember::Call describes them; `name` is the member's name for messages.
// Converts each argument for its parameter as the object's description
// gives it (when it has one).
pybind11::object InvokeWithPythonArguments(com::Dispatch& object, com::DispId id, uint16_t flags,
                                           pybind11::tuple args, pybind11::dict kwargs,
                                           const std::string& name);

}  // namespace vorlane::python
