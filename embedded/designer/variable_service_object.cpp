#include "embedded/designer/variable_service_object.h"

#include <cmath>
#include <limits>
#include <optional>

#include "embedded/designer/graph_layout.h"
#include "platform/com/text.h"

namespace designer {
namespace {

// A value as a finding quotes it.
std::string Shown(const com::Variant& v) {
  if (const std::string* t = v.TryText()) return "\"" + *t + "\"";
  if (v.IsObject() || v.type() == com::Variant::Type::Array || v.type() == com::Variant::Type::Error) {
    return "a value of type " + std::string(com::TypeName(v.type()));
  }
  return v.ToText();
}

bool IsNumber(const com::Variant& v) {
  switch (v.type()) {
    case com::Variant::Type::I2:
    case com::Variant::Type::I4:
    case com::Variant::Type::R4:
    case com::Variant::Type::R8:
      return true;
    default:
      return false;
  }
}

// The number a value stands for: a number, or text that reads as one in
// the thread's locale.
std::optional<double> NumberOf(const com::Variant& v) {
  if (IsNumber(v)) return v.ToR8();
  if (const std::string* t = v.TryText()) return com::TextToNumber(*t);
  return std::nullopt;
}

std::optional<int32_t> WholeNumberOf(const com::Variant& v) {
  auto n = NumberOf(v);
  if (!n || *n != std::floor(*n) || *n < std::numeric_limits<int32_t>::min() ||
      *n > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int32_t>(*n);
}

bool IsEnumValue(vorlane::Variable& variable, const com::Variant& v) {
  auto values = variable.EnumValues();
  const std::optional<int32_t> number = WholeNumberOf(v);
  const std::string* text = v.TryText();
  for (int32_t i = 1, n = values->Count(); i <= n; ++i) {
    auto e = values->Item(com::Variant(i));
    if (number && e->NumericValue() == *number) return true;
    if (text && e->Value() == *text) return true;
  }
  return false;
}

// The type's name for a finding, and whether `v` fits it.
struct TypeRule {
  const char* name;
  bool fits;
};

TypeRule Fit(vorlane::Variable& variable, vorlane::VarTypeEnum type, const com::Variant& v) {
  using vorlane::VarTypeEnum;
  const std::string* text = v.TryText();
  switch (type) {
    case VarTypeEnum::Generic: return {"generic", true};
    case VarTypeEnum::Integer: return {"integer", WholeNumberOf(v).has_value()};
    case VarTypeEnum::Float: return {"number", NumberOf(v).has_value()};
    case VarTypeEnum::String: return {"text", !v.IsObject() && v.type() != com::Variant::Type::Array};
    case VarTypeEnum::Boolean:
      return {"Boolean", v.type() == com::Variant::Type::Bool || IsNumber(v) ||
                             (text && (text::EqualNoCase(text::Trim(*text), "True") ||
                                       text::EqualNoCase(text::Trim(*text), "False")))};
    case VarTypeEnum::DateTime:
      return {"date", v.type() == com::Variant::Type::Date || IsNumber(v) || (text && com::TextToDate(*text))};
    case VarTypeEnum::Enum: return {"enumeration", IsEnumValue(variable, v)};
  }
  // A stored type outside the enumeration: nothing to hold the value to.
  return {"unknown", true};
}

}  // namespace

void VariableServiceObject::Initialize(const com::Variant& /*session*/, const com::Variant& /*pellory*/,
                                       const com::Variant& /*library*/, const com::Variant& process,
                                       int32_t /*frame_value*/) {
  com::Ref<vorlane::Process> checked = com::TryQuery<vorlane::Process>(process.TryObject());
  if (!checked) {
    throw com::Error(com::hr::kTypeMismatch, "VariableService",
                     "The variable service checks a process: the Process argument is not a process of the object "
                     "model");
  }
  process_ = std::move(checked);
  findings_.clear();
}

void VariableServiceObject::CheckVariable(const std::string& variable_id) {
  if (!process_) throw com::Error(com::hr::kObjectNotSet, "VariableService", "The variable service has no process");
  auto variables = process_->Variables();
  const int32_t count = variables->Count();
  const std::string key = NormalizeId(variable_id);
  com::Ref<vorlane::Variable> variable;
  for (int32_t i = 1; i <= count && !variable; ++i) {
    auto v = variables->Item(com::Variant(i));
    if (NormalizeId(v->ID()) == key) variable = v;
  }
  if (!variable) {
    findings_.push_back("Variable " + variable_id + " is not in the process.");
    return;
  }
  const std::string name = variable->Name();
  const std::string who = "Variable \"" + name + "\" " + variable->ID();
  if (text::Trim(name).empty()) findings_.push_back("Variable " + variable->ID() + " has no name.");
  if (!text::Trim(name).empty()) {
    for (int32_t i = 1; i <= count; ++i) {
      auto other = variables->Item(com::Variant(i));
      if (NormalizeId(other->ID()) != key && text::EqualNoCase(other->Name(), name)) {
        findings_.push_back(who + " has the name of variable " + other->ID() + ".");
      }
    }
  }
  CheckValue(*variable, who);
}

void VariableServiceObject::CheckValue(vorlane::Variable& variable, const std::string& who) {
  vorlane::VarTypeEnum type = vorlane::VarTypeEnum::Generic;
  com::Variant value;
  try {
    type = variable.VarType();
    value = variable.Value();
  } catch (const com::Error& e) {
    // Shown, not raised: a variable whose type or value cannot be read is a
    // finding like any other, and the checks of the others go on.
    findings_.push_back(who + ": its type or value cannot be read (" + e.description() + ").");
    return;
  }
  if (value.IsEmpty() || value.IsNull()) return;  // no value fits every type
  const TypeRule rule = Fit(variable, type, value);
  if (!rule.fits) findings_.push_back(who + ": the value " + Shown(value) + " is not a " + rule.name + " value.");
}

std::string VariableServiceObject::Findings() {
  std::string all;
  for (const std::string& f : findings_) {
    if (!all.empty()) all += '\n';
    all += f;
  }
  return all;
}

}  // namespace designer
