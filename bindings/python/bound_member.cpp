#include "bindings/python/bound_member.h"

#include <vector>

#include "bindings/python/dispatch_proxy.h"
#include "bindings/python/values.h"
#include "platform/com/text.h"

namespace py = pybind11;

namespace vorlane::python {

py::object InvokeWithPythonArguments(com::Dispatch& object, com::DispId id, uint16_t flags, py::tuple args,
                                     py::dict kwargs, const std::string& name) {
  const com::TypeInfo* info = object.GetTypeInfo();
  // The member the runtime will bind to, for the types of its parameters.
  const com::MemberInfo* member = info ? info->Find(id, flags) : nullptr;
  auto param = [member](size_t i) -> const com::ParamInfo* {
    return member && i < member->params.size() ? &member->params[i] : nullptr;
  };

  std::vector<com::Variant> values;
  values.reserve(args.size());
  for (size_t i = 0; i < args.size(); ++i) values.push_back(ToArgument(args[i], param(i)));

  if (kwargs && !kwargs.empty()) {
    if (!member) {
      throw py::type_error(name + "() takes no keyword arguments: the object does not describe its parameters");
    }
    for (auto [key, value] : kwargs) {
      std::string key_name = py::cast<std::string>(key);
      size_t pos = 0;
      while (pos < member->params.size() && !text::EqualNoCase(member->params[pos].name, key_name)) ++pos;
      if (pos == member->params.size()) throw py::type_error(name + "() has no parameter named " + key_name);
      if (pos < args.size()) throw py::type_error(name + "() got two values for parameter " + key_name);
      // Parameters skipped on the way are missing, as if left out.
      if (values.size() <= pos) values.resize(pos + 1, com::Variant::Missing());
      values[pos] = ToArgument(value, &member->params[pos]);
    }
  }
  return FromVariant(object.Invoke(id, flags, values));
}

py::object BoundMember::Call(py::args args, py::kwargs kwargs) const {
  return InvokeWithPythonArguments(*object_, id_, flags_, std::move(args), std::move(kwargs), name_);
}

std::string BoundMember::Repr() const {
  const com::TypeInfo* info = object_->GetTypeInfo();
  return "<vorlane method " + (info ? info->name() + "." : std::string()) + name_ + ">";
}

std::string BoundMember::Doc() const {
  const com::TypeInfo* info = object_->GetTypeInfo();
  std::string text = info ? MemberDoc(*info, name_) : std::string();
  return text.empty() ? name_ + "(...): a member of an object that does not describe its parameters" : text;
}

}  // namespace vorlane::python
