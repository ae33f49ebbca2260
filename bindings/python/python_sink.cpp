#include "bindings/python/python_sink.h"

#include <stdexcept>

#include "bindings/python/com_error.h"
#include "bindings/python/values.h"

namespace py = pybind11;

namespace vorlane::python {

PythonSink::PythonSink(py::object target, const com::TypeInfo& source)
    : PythonHeld(std::move(target)), source_(source) {}

com::DispId PythonSink::GetIDOfName(std::string_view name) {
  if (std::optional<com::DispId> id = source_.IdOfName(name)) return *id;
  throw com::Error(com::hr::kUnknownName, "", "Unknown name: " + std::string(name));
}

py::object PythonSink::HandlerFor(const std::string& event) const {
  const std::string name = AttributeName(event);
  return name.empty() ? py::none() : py::getattr(target_, name.c_str());
}

com::Variant PythonSink::Invoke(com::DispId id, uint16_t flags, std::span<const com::Variant> args) {
  const com::MemberInfo* event = source_.Find(id);
  if (!event) throw com::Error(com::hr::kUnknownName);
  if (!(flags & com::kInvokeMethod)) throw com::Error(com::hr::kMemberNotFound);
  py::gil_scoped_acquire gil;
  try {
    py::object handler = HandlerFor(event->name);
    if (handler.is_none()) return com::Variant();
    py::tuple values(args.size());
    for (size_t i = 0; i < args.size(); ++i) values[i] = FromVariant(args[i]);
    return ToVariant(handler(*values));
  } catch (const py::error_already_set& e) {
    // The raiser is C++: a Python failure goes back to it as a com::Error.
    throw ErrorFromPython(e);
  } catch (const std::overflow_error& e) {
    // The handler's result is an int the runtime cannot hold.
    throw com::Error(com::hr::kOverflow, "Python", e.what());
  } catch (const py::builtin_exception& e) {
    // A value that does not cross (an argument or the handler's result)
    // fails the event as a type mismatch.
    throw com::Error(com::hr::kTypeMismatch, "Python", e.what());
  }
}

}  // namespace vorlane::python
