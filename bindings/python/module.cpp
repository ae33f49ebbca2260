// The `vorlane` Python module: any dispatch object of the automation runtime,
// seen from Python.

#include "bindings/python/module_parts.h"

PYBIND11_MODULE(vorlane, m) {
  m.doc() = R"doc(Python access to the automation objects of Vorlane.

Every object of the runtime is a `vorlane.Object`: reading an attribute reads
the property of that name (names bind without regard to case) or gives a
bound method, assigning an attribute assigns the property, obj[i] and obj(i)
call the default member, iteration runs the object's enumerator and len()
reads its Count. Two proxies of one object compare and hash equal.

Values cross as follows:
  None <-> Empty (and a null object: Nothing comes back as None, and None
           passed where a parameter takes an object is Nothing)
  vorlane.Null <-> Null
  bool <-> Bool, int <-> I2/I4 (an int outside 32 bits raises OverflowError:
           the runtime has no wider integer and a silent float would lose digits)
  float <-> R8 (R4 comes back as float)
  str <-> Text
  datetime.datetime, datetime.date -> Date (naive local time, to the second);
           a Date comes back as datetime.datetime
  list, tuple -> array; an array comes back as a list
  vorlane.ComError instance <-> an Error value (0x80020004 marks a missing argument)

Every failure of the runtime raises vorlane.ComError, with the attributes
hresult, source and description; 0x800A0009 (a position out of range) is
also an IndexError, 0x800A0005 (a missing key) also a KeyError.

The type library's enumerations are IntEnums (vorlane.ProcessStateEnum.Active),
accepted wherever an integer is. help(obj) lists an object's members with
their parameters; `with process.Update():` brackets edits.)doc";
  m.attr("__version__") = VORLANE_VERSION;
  vorlane::python::DefineErrors(m);
  vorlane::python::DefineValues(m);
  vorlane::python::DefineEnums(m);
  vorlane::python::DefineObjects(m);
  vorlane::python::DefineEvents(m);
  vorlane::python::DefineClasses(m);
  vorlane::python::DefineStore(m);
}
