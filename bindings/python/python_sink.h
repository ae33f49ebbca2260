#pragma once

#include <pybind11/pybind11.h>

#include "bindings/python/python_held.h"

namespace vorlane::python {

// A Python object as the sink of one outgoing interface. An event arrives
// as its dispatch ID; the sink names it through the interface's description
// and calls the Python method of that name (the exact name, else one that
// differs only in case), with the event's arguments. An event the object has
// no method for is ignored, as a sink that does not handle an event does.
// A Python exception in the method fails the event with the com::Error it
// becomes (ErrorFromPython).
//
// The sink holds the Python object until it is disconnected; the source's
// connection point holds the sink.
class PythonSink final : public PythonHeld {
 public:
  // `source` is the outgoing interface's description; it outlives the sink
  // (descriptions are static).
  PythonSink(pybind11::object target, const com::TypeInfo& source);

  // The outgoing interface: what the sink answers for.
  const com::TypeInfo* GetTypeInfo() override { return &source_; }
  com::DispId GetIDOfName(std::string_view name) override;
  com::Variant Invoke(com::DispId id, uint16_t flags, std::span<const com::Variant> args) override;

 private:
  // The method that handles `event`, or None.
  pybind11::object HandlerFor(const std::string& event) const;

  const com::TypeInfo& source_;
};

}  // namespace vorlane::python
