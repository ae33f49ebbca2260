#pragma once

#include <string>
#include <string_view>

#include <pybind11/pybind11.h>

#include "platform/com/dispatch.h"

namespace vorlane::python {

// A dispatch object that stands for a Python object (a host object, an
// event sink): its reference count and its one interface, the Python
// object it holds, and the lookup of that object's attributes by a
// dispatch name.
class PythonHeld : public com::Dispatch {
 public:
  PythonHeld(const PythonHeld&) = delete;
  PythonHeld& operator=(const PythonHeld&) = delete;

  void AddRef() const noexcept final { refs_.Increment(); }
  void Release() const noexcept final {
    if (refs_.Decrement()) delete this;
  }
  void* QueryInterface(const com::Guid& iid) noexcept final;

  const pybind11::object& target() const { return target_; }

 protected:
  explicit PythonHeld(pybind11::object target) : target_(std::move(target)) {}
  // The last reference may go in any thread, and after the interpreter has
  // finished (an object kept by C++ until exit): the Python object is let
  // go under the GIL, or left alone when there is no interpreter any more.
  ~PythonHeld() override;

  // The name of the target's attribute that `name` means: the exact name,
  // else one that differs only in case, as every dispatch name binds; ""
  // when there is none. Under the GIL.
  std::string AttributeName(std::string_view name) const;

  pybind11::object target_;

 private:
  com::RefCount refs_;
};

}  // namespace vorlane::python
