#include "bindings/python/dispatch_proxy.h"

#include <optional>

#include <pybind11/stl.h>

#include "bindings/python/bound_member.h"
#include "bindings/python/module_parts.h"
#include "bindings/python/values.h"
#include "platform/com/enumerator.h"
#include "platform/com/text.h"

namespace py = pybind11;

namespace vorlane::python {
namespace {

// Python's own protocol names (__len__, __array__, ...) never reach the
// object: Python probes them on any object and expects AttributeError.
bool IsSpecialName(const std::string& name) {
  return name.size() > 4 && name.starts_with("__") && name.ends_with("__");
}

bool TakesNoArguments(const com::MemberInfo& member) {
  for (const com::ParamInfo& p : member.params) {
    if (!p.optional) return false;
  }
  return true;
}

// The iterator that `for x in obj` runs: the object's enumerator, one value
// at a time.
class ValueIterator {
 public:
  explicit ValueIterator(com::Ref<com::Enumerator> values) : values_(std::move(values)) {}

  py::object Next() {
    std::optional<com::Variant> next = values_->Next();
    if (!next) throw py::stop_iteration();
    return FromVariant(*next);
  }

 private:
  com::Ref<com::Enumerator> values_;
};

// The object's update bracket as a context manager: BeginUpdate on entry,
// EndUpdate when the block ends normally, CancelUpdate when it raises.
class UpdateBracket {
 public:
  explicit UpdateBracket(py::object owner) : owner_(std::move(owner)) {}

  py::object Enter() {
    owner_.attr("BeginUpdate")();
    return owner_;
  }
  bool Exit(py::handle type, py::handle, py::handle) {
    // The block's own exception goes on after the cancel (false: not
    // swallowed); a failing cancel is raised in its place, with the
    // block's exception as its context.
    owner_.attr(type.is_none() ? "EndUpdate" : "CancelUpdate")();
    return false;
  }

 private:
  py::object owner_;
};

bool HasUpdateBracket(const com::TypeInfo& info) {
  return !info.IdOfName("Update") && info.IdOfName("BeginUpdate") && info.IdOfName("EndUpdate") &&
         info.IdOfName("CancelUpdate");
}

// A property that reads without arguments, as text; nullopt when the
// interface has none of that name or it cannot be read now.
std::optional<std::string> ReadText(com::Dispatch& d, const com::TypeInfo& info, const char* name) {
  std::optional<com::DispId> id = info.IdOfName(name);
  if (!id) return std::nullopt;
  const com::MemberInfo* get = info.Find(*id, com::kInvokeGet);
  if (!get || !TakesNoArguments(*get)) return std::nullopt;
  try {
    com::Variant v = d.Invoke(*id, com::kInvokeGet, {});
    if (const std::string* text = v.TryText()) return *text;
  } catch (const com::Error&) {
    // Shown, not raised: repr() of an object whose card is gone still
    // names its interface.
  }
  return std::nullopt;
}

std::string ParamText(const com::ParamInfo& p) {
  if (!p.optional) return p.name;
  if (!p.default_value) return p.name + "=None";
  return p.name + "=" + py::repr(FromVariant(*p.default_value)).cast<std::string>();
}

}  // namespace

std::string MemberDoc(const com::TypeInfo& info, const std::string& name) {
  std::optional<com::DispId> id = info.IdOfName(name);
  if (!id) return std::string();
  const com::MemberInfo* get = info.Find(*id, com::kInvokeGet);
  const com::MemberInfo* let = info.Find(*id, com::kInvokeLet | com::kInvokeSet);
  const com::MemberInfo* method = info.Find(*id, com::kInvokeMethod);
  const com::MemberInfo* shown = get ? get : (method ? method : let);
  if (!shown) return std::string();
  std::string params;
  size_t count = shown->params.size();
  if (shown == let && count > 0) --count;  // a let's last parameter is the value assigned
  for (size_t i = 0; i < count; ++i) params += (i ? ", " : "") + ParamText(shown->params[i]);
  std::string text = shown->name;
  const bool property = shown != method;
  if (!property || count > 0) text += "(" + params + ")";
  if (shown->result != com::Variant::Type::Empty) text += " -> " + std::string(com::TypeName(shown->result));
  if (property) {
    text += get && let ? "  [property, read and write]"
                       : (get ? "  [property, read only]" : "  [property, write only]");
  } else {
    text += "  [method]";
  }
  return text;
}

DispatchProxy::DispatchProxy(com::Ref<com::Unknown> object)
    // Identity is the object's Unknown, as QueryInterface gives it.
    : identity_(static_cast<com::Unknown*>(object->QueryInterface(com::Unknown::kIID))),
      dispatch_(com::TryQuery<com::Dispatch>(object.get())) {
  if (!identity_) identity_ = std::move(object);
}

com::Dispatch& DispatchProxy::dispatch() const {
  if (!dispatch_) throw com::Error(com::hr::kNoInterface, "", "The object offers no dispatch interface");
  return *dispatch_;
}

const com::TypeInfo* DispatchProxy::type_info() const { return dispatch_ ? dispatch_->GetTypeInfo() : nullptr; }

std::optional<com::DispId> DispatchProxy::FindName(const std::string& name) const {
  com::Dispatch& d = dispatch();
  if (const com::TypeInfo* info = d.GetTypeInfo()) return info->IdOfName(name);
  try {
    return d.GetIDOfName(name);
  } catch (const com::Error& e) {
    // An object without a description answers "no such member" by this
    // code; the caller turns that into the Python form of the question.
    if (e.code() != com::hr::kUnknownName) throw;
  }
  return std::nullopt;
}

com::DispId DispatchProxy::IdOfAttribute(const std::string& name) const {
  if (std::optional<com::DispId> id = FindName(name)) return *id;
  const com::TypeInfo* info = type_info();
  throw py::attribute_error("'" + (info ? info->name() : std::string("vorlane.Object")) + "' object has no member '" +
                            name + "'");
}

py::object DispatchProxy::GetAttribute(const std::string& name) const {
  if (IsSpecialName(name)) throw py::attribute_error(name);
  com::Dispatch& d = dispatch();
  const com::TypeInfo* described = d.GetTypeInfo();
  if (described && text::EqualNoCase(name, "Update") && HasUpdateBracket(*described)) {
    py::object self = py::cast(*this);
    return py::cpp_function([self] { return UpdateBracket(self); }, py::name("Update"),
                            py::doc("Update() -> a context manager over BeginUpdate, and EndUpdate when the block "
                                    "ends normally or CancelUpdate when it raises."));
  }
  com::DispId id = IdOfAttribute(name);
  constexpr uint16_t kCall = com::kInvokeMethod | com::kInvokeGet;
  if (const com::TypeInfo* info = d.GetTypeInfo()) {
    const com::MemberInfo* get = info->Find(id, com::kInvokeGet);
    if (get && TakesNoArguments(*get)) return FromVariant(d.Invoke(id, com::kInvokeGet, {}));
    const com::MemberInfo* method = info->Find(id, com::kInvokeMethod);
    if (const com::MemberInfo* callable = method ? method : get) {
      return py::cast(BoundMember(dispatch_, id, callable->name, kCall));
    }
    // A property that can only be assigned: the runtime's get says so.
    return FromVariant(d.Invoke(id, com::kInvokeGet, {}));
  }
  try {
    return FromVariant(d.Invoke(id, com::kInvokeGet, {}));
  } catch (const com::Error& e) {
    // An object without a description tells a method from a property only
    // by refusing the get: the name is then a method to call.
    if (e.code() != com::hr::kMemberNotFound) throw;
  }
  return py::cast(BoundMember(dispatch_, id, name, kCall));
}

void DispatchProxy::SetAttribute(const std::string& name, py::handle value) const {
  if (IsSpecialName(name)) throw py::attribute_error("cannot assign " + name + " of an automation object");
  com::Dispatch& d = dispatch();
  com::DispId id = IdOfAttribute(name);
  const com::TypeInfo* info = d.GetTypeInfo();
  const com::MemberInfo* let = info ? info->Find(id, com::kInvokeLet) : nullptr;
  com::Variant v = ToArgument(value, let && !let->params.empty() ? &let->params.back() : nullptr);
  d.Invoke(id, v.IsObject() ? com::kInvokeSet : com::kInvokeLet, std::span<const com::Variant>(&v, 1));
}

py::object DispatchProxy::CallDefault(py::args args, py::kwargs kwargs) const {
  const com::TypeInfo* info = type_info();
  const com::MemberInfo* member = info ? info->Find(com::kDispIdValue) : nullptr;
  return InvokeWithPythonArguments(dispatch(), com::kDispIdValue, com::kInvokeMethod | com::kInvokeGet,
                                   std::move(args), std::move(kwargs), member ? member->name : "default member");
}

py::object DispatchProxy::GetItem(py::handle index) const {
  // obj[a, b] passes two arguments, as obj(a, b) does.
  py::tuple args = py::isinstance<py::tuple>(index) ? py::reinterpret_borrow<py::tuple>(index) : py::make_tuple(index);
  const com::TypeInfo* info = type_info();
  const com::MemberInfo* member = info ? info->Find(com::kDispIdValue) : nullptr;
  return InvokeWithPythonArguments(dispatch(), com::kDispIdValue, com::kInvokeGet | com::kInvokeMethod, args,
                                   py::dict(), member ? member->name : "default member");
}

void DispatchProxy::SetItem(py::handle index, py::handle value) const {
  py::tuple indexes =
      py::isinstance<py::tuple>(index) ? py::reinterpret_borrow<py::tuple>(index) : py::make_tuple(index);
  com::Dispatch& d = dispatch();
  const com::TypeInfo* info = d.GetTypeInfo();
  const com::MemberInfo* let = info ? info->Find(com::kDispIdValue, com::kInvokeLet) : nullptr;
  auto param = [let](size_t i) -> const com::ParamInfo* {
    return let && i < let->params.size() ? &let->params[i] : nullptr;
  };
  std::vector<com::Variant> values;
  values.reserve(indexes.size() + 1);
  for (size_t i = 0; i < indexes.size(); ++i) values.push_back(ToArgument(indexes[i], param(i)));
  values.push_back(ToArgument(value, let && !let->params.empty() ? &let->params.back() : nullptr));
  d.Invoke(com::kDispIdValue, values.back().IsObject() ? com::kInvokeSet : com::kInvokeLet, values);
}

py::object DispatchProxy::Iterate() const {
  com::Dispatch& d = dispatch();
  const com::TypeInfo* info = d.GetTypeInfo();
  if (info && !info->Find(com::kDispIdNewEnum)) throw py::type_error("'" + info->name() + "' object is not iterable");
  com::Variant values = d.Invoke(com::kDispIdNewEnum, com::kInvokeGet | com::kInvokeMethod, {});
  if (!values.TryObject()) throw com::Error(com::hr::kTypeMismatch, "", "The object's NewEnum gave no enumerator");
  return py::cast(ValueIterator(com::Query<com::Enumerator>(values.TryObject())));
}

size_t DispatchProxy::Length() const {
  std::optional<com::DispId> id = FindName("Count");
  if (!id) {
    const com::TypeInfo* info = type_info();
    throw py::type_error("'" + (info ? info->name() : std::string("vorlane.Object")) + "' object has no Count");
  }
  int32_t count = dispatch().Invoke(*id, com::kInvokeGet | com::kInvokeMethod, {}).ToI4();
  if (count < 0) throw py::value_error("Count is negative: " + std::to_string(count));
  return static_cast<size_t>(count);
}

std::string DispatchProxy::Repr() const {
  const com::TypeInfo* info = type_info();
  if (!info) return "<vorlane object>";
  std::string text = "<vorlane object " + info->name();
  std::optional<std::string> name = ReadText(*dispatch_, *info, "Name");
  if (!name) name = ReadText(*dispatch_, *info, "Caption");
  if (name) text += " " + py::repr(py::str(*name)).cast<std::string>();
  if (std::optional<std::string> id = ReadText(*dispatch_, *info, "ID")) text += " " + *id;
  return text + ">";
}

std::string DispatchProxy::Doc() const {
  const com::TypeInfo* info = type_info();
  if (!info) {
    return "An automation object that does not describe its members: they are found by name when used.";
  }
  std::string text = "Interface " + info->name() + " " + info->iid().ToString() +
                     ". Members (names bind without regard to case):\n";
  for (const std::string& name : MemberNames()) {
    text += "\n  " + (name == "Update" && HasUpdateBracket(*info)
                          ? std::string("Update()  [with process.Update(): BeginUpdate, then EndUpdate, or "
                                        "CancelUpdate on an exception]")
                          : MemberDoc(*info, name));
  }
  return text;
}

std::vector<std::string> DispatchProxy::MemberNames() const {
  std::vector<std::string> names;
  const com::TypeInfo* info = type_info();
  if (!info) return names;
  for (const com::MemberInfo& m : info->members()) {
    bool seen = false;
    for (const std::string& n : names) seen = seen || n == m.name;
    if (!seen) names.push_back(m.name);
  }
  if (HasUpdateBracket(*info)) names.push_back("Update");
  return names;
}

py::object WrapObject(com::Ref<com::Unknown> object) {
  if (!object) return py::none();
  return py::cast(DispatchProxy(std::move(object)));
}

void DefineObjects(py::module_& m) {
  py::class_<DispatchProxy>(m, "Object", py::module_local(),
                            "An automation object. Attributes are its members; see the module's help.")
      .def("__getattr__", &DispatchProxy::GetAttribute)
      .def("__setattr__", &DispatchProxy::SetAttribute)
      .def("__call__", &DispatchProxy::CallDefault)
      .def("__getitem__", &DispatchProxy::GetItem)
      .def("__setitem__", &DispatchProxy::SetItem)
      .def("__iter__", &DispatchProxy::Iterate)
      .def("__len__", &DispatchProxy::Length)
      // A proxy always holds an object (Nothing is None), whatever its Count.
      .def("__bool__", [](const DispatchProxy&) { return true; })
      .def("__eq__",
           [](const DispatchProxy& self, py::handle other) -> py::object {
             if (!py::isinstance<DispatchProxy>(other)) return py::reinterpret_borrow<py::object>(Py_NotImplemented);
             return py::bool_(self.SameObject(other.cast<const DispatchProxy&>()));
           })
      .def("__hash__", &DispatchProxy::Hash)
      .def("__repr__", &DispatchProxy::Repr)
      .def("__dir__", &DispatchProxy::MemberNames)
      // help(obj) shows the object's own members: pydoc documents an
      // instance by its own __doc__ when it differs from its class's.
      .def_property_readonly("__doc__", &DispatchProxy::Doc);

  py::class_<UpdateBracket>(m, "UpdateBracket", py::module_local(),
                            "The context manager of process.Update(): BeginUpdate on entry, EndUpdate when the "
                            "block ends normally, CancelUpdate when it raises.")
      .def("__enter__", &UpdateBracket::Enter)
      .def("__exit__", &UpdateBracket::Exit);

  py::class_<BoundMember>(m, "Method", py::module_local(),
                          "A method of an automation object, bound to it: call it with the method's arguments.")
      .def("__call__", &BoundMember::Call)
      .def("__repr__", &BoundMember::Repr)
      .def_property_readonly("__doc__", &BoundMember::Doc);

  py::class_<ValueIterator>(m, "Iterator", py::module_local(), "The values of an automation object's enumerator.")
      .def("__iter__", [](py::object self) { return self; })
      .def("__next__", &ValueIterator::Next);
}

}  // namespace vorlane::python
