// advise and unadvise: Python objects as sinks of an object's events.

#include <optional>
#include <string>

#include <pybind11/stl.h>

#include "bindings/python/dispatch_proxy.h"
#include "bindings/python/module_parts.h"
#include "bindings/python/python_sink.h"
#include "platform/com/events.h"
#include "platform/com/text.h"

namespace py = pybind11;

namespace vorlane::python {
namespace {

// The connection point of `object` for `interface`: the first outgoing
// interface when none is named, else the one of that name (without regard
// to case) or of that IID. Fails with 0x80004002 for an object that raises
// no events and 0x80040200 when no interface matches.
com::Ref<com::ConnectionPoint> FindConnectionPoint(const DispatchProxy& object,
                                                   const std::optional<std::string>& interface) {
  com::Ref<com::ConnectionPointContainer> container =
      com::Query<com::ConnectionPointContainer>(object.identity().get());
  std::vector<com::Guid> iids = container->ConnectionInterfaces();
  if (!interface) {
    if (iids.empty()) throw com::Error(com::hr::kNoConnection, "", "The object has no outgoing interface");
    return container->FindConnectionPoint(iids.front());
  }
  if (std::optional<com::Guid> iid = com::Guid::Parse(*interface)) return container->FindConnectionPoint(*iid);
  for (const com::Guid& iid : iids) {
    com::Ref<com::ConnectionPoint> point = container->FindConnectionPoint(iid);
    if (text::EqualNoCase(point->GetSourceInfo().name(), *interface)) return point;
  }
  throw com::Error(com::hr::kNoConnection, "", "The object has no outgoing interface " + *interface);
}

}  // namespace

void DefineEvents(py::module_& m) {
  m.def(
      "advise",
      [](const DispatchProxy& object, py::object sink, std::optional<std::string> interface) {
        if (sink.is_none()) throw py::type_error("advise needs a sink object, not None");
        com::Ref<com::ConnectionPoint> point = FindConnectionPoint(object, interface);
        return point->Advise(com::Ref<com::Dispatch>::Adopt(new PythonSink(std::move(sink), point->GetSourceInfo())));
      },
      py::arg("object"), py::arg("sink"), py::arg("interface") = py::none(),
      R"doc(Connects `sink` to the events of `object` and returns the connection's cookie.

Each event calls the sink's method of the event's name (an exact match, else
one that differs only in case) with the event's arguments; events the sink has
no method for are ignored. An exception raised by the method fails the event
with a ComError (a ComError raised keeps its code). `interface` names the
outgoing interface (its name or IID) when the object has more than one; the
first is used otherwise. The object holds the sink until unadvise.)doc");
  m.def(
      "unadvise",
      [](const DispatchProxy& object, uint32_t cookie, std::optional<std::string> interface) {
        FindConnectionPoint(object, interface)->Unadvise(cookie);
      },
      py::arg("object"), py::arg("cookie"), py::arg("interface") = py::none(),
      "Disconnects the sink that advise connected with `cookie` (the same `interface` as given to advise).");
}

}  // namespace vorlane::python
