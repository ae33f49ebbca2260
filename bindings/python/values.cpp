#include "bindings/python/values.h"

#include "bindings/python/python_object.h"

#include <datetime.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

#include "bindings/python/com_error.h"
#include "bindings/python/dispatch_proxy.h"
#include "bindings/python/module_parts.h"

namespace py = pybind11;

namespace vorlane::python {
namespace {

// The type of vorlane.Null; it has one instance.
struct NullType {};

// Owned for the life of the process, as ComError's class is.
PyObject* null_value = nullptr;

void RequireDateTimeApi() {
  if (!PyDateTimeAPI) {
    PyDateTime_IMPORT;
    if (!PyDateTimeAPI) throw py::error_already_set();
  }
}

// Text crosses as UTF-8; bytes that are not UTF-8 travel as the surrogate
// escapes Python uses for them, so that any text read can be written back.
com::Variant TextToVariant(py::handle value) {
  py::object bytes =
      py::reinterpret_steal<py::object>(PyUnicode_AsEncodedString(value.ptr(), "utf-8", "surrogateescape"));
  if (!bytes) throw py::error_already_set();
  char* data = nullptr;
  Py_ssize_t size = 0;
  if (PyBytes_AsStringAndSize(bytes.ptr(), &data, &size) != 0) throw py::error_already_set();
  return com::Variant(std::string(data, static_cast<size_t>(size)));
}

py::object TextFromVariant(const std::string& text) {
  PyObject* s = PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "surrogateescape");
  if (!s) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(s);
}

com::Variant IntToVariant(py::handle value) {
  int overflow = 0;
  long long v = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
  if (v == -1 && PyErr_Occurred()) throw py::error_already_set();
  if (overflow != 0 || v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) {
    // std::overflow_error is what pybind11 raises as OverflowError.
    throw std::overflow_error("int " + py::repr(value).cast<std::string>() +
                             " is outside the 32 bits of an automation integer; pass a float for a wider number");
  }
  return com::Variant(static_cast<int32_t>(v));
}

com::Variant DateToVariant(py::handle value) {
  PyObject* p = value.ptr();
  int hour = 0, minute = 0;
  double second = 0;
  if (PyDateTime_Check(p)) {
    // A Date is a local wall-clock time: an aware datetime would lose its
    // offset without a word, so it is refused.
    py::object offset = value.attr("utcoffset")();
    if (!offset.is_none()) {
      throw py::value_error("an aware datetime has no automation equivalent; pass a naive local time");
    }
    hour = PyDateTime_DATE_GET_HOUR(p);
    minute = PyDateTime_DATE_GET_MINUTE(p);
    second = PyDateTime_DATE_GET_SECOND(p) + PyDateTime_DATE_GET_MICROSECOND(p) / 1e6;
  }
  std::optional<com::Date> date =
      com::MakeDate(PyDateTime_GET_YEAR(p), PyDateTime_GET_MONTH(p), PyDateTime_GET_DAY(p), hour, minute, second);
  if (!date) throw py::value_error("the runtime holds dates of the years 100 to 9999 only");
  return com::Variant(*date);
}

py::object DateFromVariant(com::Date date) {
  static const double kFirst = com::MakeDate(100, 1, 1)->serial;
  static const double kLast = com::MakeDate(9999, 12, 31, 23, 59, 59)->serial;
  if (!std::isfinite(date.serial) || date.serial < kFirst || date.serial > kLast) {
    throw py::value_error("date serial " + std::to_string(date.serial) + " is outside the years 100 to 9999");
  }
  com::DateParts d = com::SplitDate(date);
  if (d.year > 9999) throw py::value_error("date serial " + std::to_string(date.serial) + " rounds past the year 9999");
  PyObject* out = PyDateTime_FromDateAndTime(d.year, d.month, d.day, d.hour, d.minute, d.second, 0);
  if (!out) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(out);
}

// Nested lists are converted with Python's recursion guard, so a list that
// contains itself raises RecursionError instead of exhausting the stack.
class RecursionGuard {
 public:
  RecursionGuard() {
    if (Py_EnterRecursiveCall(" while converting a list to an automation array") != 0) throw py::error_already_set();
  }
  ~RecursionGuard() { Py_LeaveRecursiveCall(); }
  RecursionGuard(const RecursionGuard&) = delete;
  RecursionGuard& operator=(const RecursionGuard&) = delete;
};

com::Variant SequenceToVariant(py::handle value) {
  RecursionGuard guard;
  py::sequence items = py::reinterpret_borrow<py::sequence>(value);
  com::Variant::Array array;
  array.reserve(items.size());
  for (py::handle item : items) array.push_back(ToVariant(item));
  return com::Variant(std::move(array));
}

}  // namespace

py::handle NullValue() { return null_value; }

com::Variant ToVariant(py::handle value) {
  PyObject* p = value.ptr();
  if (value.is_none()) return com::Variant();
  if (p == null_value) return com::Variant::Null();
  // bool is an int in Python: it is asked first.
  if (PyBool_Check(p)) return com::Variant(p == Py_True);
  if (PyLong_Check(p)) return IntToVariant(value);
  if (PyFloat_Check(p)) return com::Variant(PyFloat_AS_DOUBLE(p));
  if (PyUnicode_Check(p)) return TextToVariant(value);
  RequireDateTimeApi();
  // datetime is a date in Python: either way the check covers both.
  if (PyDate_Check(p)) return DateToVariant(value);
  if (PyList_Check(p) || PyTuple_Check(p)) return SequenceToVariant(value);
  if (py::isinstance<DispatchProxy>(value)) return com::Variant(value.cast<const DispatchProxy&>().identity());
  if (py::isinstance(value, ComErrorType())) return com::Variant::Error(CodeOfComError(value));
  // Numbers of other kinds, dictionaries and bytes are values the runtime
  // has no form for; any other object is an object: a dispatch object over it.
  if (PyNumber_Check(p) || PyDict_Check(p) || PyAnySet_Check(p) || PyBytes_Check(p) || PyByteArray_Check(p)) {
    throw py::type_error("a " + py::str(py::type::handle_of(value).attr("__name__")).cast<std::string>() +
                         " cannot be passed to the automation runtime");
  }
  com::Ref<com::Unknown> object = com::Ref<com::Unknown>::Adopt(
      static_cast<com::Unknown*>(new PythonObject(py::reinterpret_borrow<py::object>(value))));
  return com::Variant(std::move(object));
}

com::Variant ToArgument(py::handle value, const com::ParamInfo* param) {
  if (value.is_none() && param && param->type == com::Variant::Type::Object) {
    return com::Variant(com::Ref<com::Unknown>());
  }
  return ToVariant(value);
}

py::object FromVariant(const com::Variant& value) {
  using T = com::Variant::Type;
  switch (value.type()) {
    case T::Empty:
    case T::Any:
      return py::none();
    case T::Null:
      return py::reinterpret_borrow<py::object>(null_value);
    case T::I2:
      return py::int_(*value.TryI2());
    case T::I4:
      return py::int_(*value.TryI4());
    case T::R4:
      return py::float_(static_cast<double>(value.ToR4()));
    case T::R8:
      return py::float_(*value.TryR8());
    case T::Date:
      RequireDateTimeApi();
      return DateFromVariant(value.ToDate());
    case T::Text:
      return TextFromVariant(*value.TryText());
    case T::Bool:
      return py::bool_(*value.TryBool());
    case T::Object:
      return WrapObject(com::Ref<com::Unknown>(value.TryObject()));
    case T::Error:
      return MakeComError(value.ErrorCode(), "", std::string(com::StandardDescription(value.ErrorCode())));
    case T::Array: {
      const com::Variant::Array& items = *value.TryArray();
      py::list out(items.size());
      for (size_t i = 0; i < items.size(); ++i) out[i] = FromVariant(items[i]);
      return out;
    }
  }
  throw py::type_error("a value of automation type " + std::string(com::TypeName(value.type())) +
                       " has no Python form");
}

void DefineValues(py::module_& m) {
  py::class_<NullType>(m, "NullType", py::module_local(),
                       "The type of vorlane.Null, the automation Null: a value known to be no data. "
                       "It has one instance.")
      .def("__repr__", [](const NullType&) { return "vorlane.Null"; })
      .def("__bool__", [](const NullType&) { return false; })
      // Pickles and copies by name, so that the one instance stays one.
      .def("__reduce__", [](const NullType&) { return "Null"; });
  py::object null = py::cast(NullType{});
  null_value = null.inc_ref().ptr();
  m.attr("Null") = null;
}

}  // namespace vorlane::python
