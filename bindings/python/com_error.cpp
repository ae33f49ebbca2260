#include "bindings/python/com_error.h"

#include <cstdint>

#include "bindings/python/module_parts.h"

namespace py = pybind11;

namespace vorlane::python {
namespace {

// Owned for the life of the process: the class outlives every module
// object, and a static py::object would be released after the interpreter.
PyObject* com_error_type = nullptr;
// ComError's two subclasses for the codes that Python idioms catch by their
// own exception: a bad position is an IndexError, a missing key a KeyError.
PyObject* index_error_type = nullptr;
PyObject* key_error_type = nullptr;

// HRESULTs are shown and compared unsigned in Python (0x800A01C9), as they
// are written; a negative int given by the caller means the same bits.
uint32_t Unsigned(com::HResult code) { return static_cast<uint32_t>(code); }

std::string SafeText(py::handle value) {
  try {
    return py::str(value).cast<std::string>();
  } catch (const py::error_already_set&) {
    // An exception whose text itself fails is still reported, by its type.
    return "<exception text unavailable>";
  }
}

}  // namespace

py::handle ComErrorType() { return com_error_type; }

py::handle ComErrorTypeOf(com::HResult code) {
  if (code == com::hr::kSubscriptOutOfRange) return index_error_type;
  if (code == com::hr::kInvalidProcedureCall) return key_error_type;
  return com_error_type;
}

py::object MakeComError(com::HResult code, const std::string& source, const std::string& description) {
  return py::reinterpret_borrow<py::object>(ComErrorTypeOf(code))(Unsigned(code), source, description);
}

com::HResult CodeOfComError(py::handle error) {
  return static_cast<com::HResult>(error.attr("hresult").cast<uint32_t>());
}

com::Error ErrorFromPython(const py::error_already_set& e) {
  py::handle value = e.value();
  if (com_error_type && value && py::isinstance(value, com_error_type)) {
    try {
      return com::Error(CodeOfComError(value), py::str(value.attr("source")).cast<std::string>(),
                        py::str(value.attr("description")).cast<std::string>());
    } catch (const py::error_already_set&) {
      // A ComError whose attributes were replaced by something unreadable
      // falls back to the generic form below.
    } catch (const py::cast_error&) {
      // As above: an hresult that is no longer a 32-bit number.
    }
  }
  std::string type = value ? py::str(py::type::handle_of(value).attr("__name__")).cast<std::string>() : "Error";
  return com::Error(com::hr::kFail, "Python", type + ": " + (value ? SafeText(value) : std::string()));
}

void DefineErrors(py::module_& m) {
  com_error_type = PyErr_NewExceptionWithDoc(
      "vorlane.ComError",
      "A failed call of the automation runtime.\n\n"
      "hresult is the code as an unsigned 32-bit number (0x800A01C9), source names\n"
      "the component that failed, description is its text. Raise it from an event\n"
      "handler to fail the event with that code.",
      PyExc_Exception, nullptr);
  if (!com_error_type) throw py::error_already_set();
  py::object type = py::reinterpret_borrow<py::object>(com_error_type);

  type.attr("__init__") = py::cpp_function(
      [](py::handle self, py::int_ hresult, py::object source, py::object description) {
        // Any int is taken by its low 32 bits, so that signed and unsigned
        // spellings of one code are one code.
        uint32_t code = static_cast<uint32_t>(PyLong_AsUnsignedLongLongMask(hresult.ptr()));
        if (PyErr_Occurred()) throw py::error_already_set();
        std::string text = description.is_none()
                               ? std::string(com::StandardDescription(static_cast<com::HResult>(code)))
                               : py::str(description).cast<std::string>();
        std::string from = source.is_none() ? std::string() : py::str(source).cast<std::string>();
        py::handle(PyExc_Exception).attr("__init__")(self, code, from, text);
        self.attr("hresult") = code;
        self.attr("source") = from;
        self.attr("description") = text;
      },
      py::is_method(type), py::arg("hresult"), py::arg("source") = py::none(), py::arg("description") = py::none());
  type.attr("__str__") = py::cpp_function(
      [](py::handle self) {
        return com::HexCode(CodeOfComError(self)) + ": " + py::str(self.attr("description")).cast<std::string>();
      },
      py::is_method(type));
  type.attr("__repr__") = py::cpp_function(
      [](py::handle self) {
        return "ComError(" + com::HexCode(CodeOfComError(self)) + ", " +
               py::repr(self.attr("source")).cast<std::string>() + ", " +
               py::repr(self.attr("description")).cast<std::string>() + ")";
      },
      py::is_method(type));
  m.attr("ComError") = type;

  auto subclass = [&](const char* name, const char* doc, PyObject* python_base) {
    py::tuple bases = py::make_tuple(type, py::handle(python_base));
    PyObject* made = PyErr_NewExceptionWithDoc(name, doc, bases.ptr(), nullptr);
    if (!made) throw py::error_already_set();
    return made;
  };
  index_error_type = subclass("vorlane.ComIndexError",
                              "ComError 0x800A0009 (subscript out of range): also an IndexError, so that\n"
                              "`except IndexError` catches a position past the end of a collection.",
                              PyExc_IndexError);
  key_error_type = subclass("vorlane.ComKeyError",
                            "ComError 0x800A0005 (invalid procedure call, a key that is not there): also a\n"
                            "KeyError, so that `except KeyError` catches a missing key.",
                            PyExc_KeyError);
  m.attr("ComIndexError") = py::handle(index_error_type);
  m.attr("ComKeyError") = py::handle(key_error_type);

  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const com::Error& e) {
      py::object error = MakeComError(e.code(), e.source(), e.description());
      PyErr_SetObject(ComErrorTypeOf(e.code()).ptr(), error.ptr());
    }
  });
}

}  // namespace vorlane::python
