#include "embedded/designer/variable_service_object.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <unordered_map>

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
  checks_.clear();
}

void VariableServiceObject::CheckVariable(const std::string& variable_id) {
  if (!process_) throw com::Error(com::hr::kObjectNotSet, "VariableService", "The variable service has no process");
  Check check;
  check.id = NormalizeId(variable_id);
  com::Ref<vorlane::Variable> variable;
  try {
    variable = process_->Variables()->Item(com::Variant(variable_id));
  } catch (const com::Error&) {
    // Kept, not raised: an ID the process does not hold is a finding.
  }
  if (!variable) {
    check.lines.push_back("Variable " + variable_id + " is not in the process.");
    checks_.push_back(std::move(check));
    return;
  }
  const std::string name = variable->Name();
  check.who = "Variable \"" + name + "\" " + variable->ID();
  if (text::Trim(name).empty()) {
    check.lines.push_back("Variable " + variable->ID() + " has no name.");
  } else {
    check.name = name;
  }
  check.name_at = check.lines.size();
  CheckValue(*variable, check.who, check.lines);
  checks_.push_back(std::move(check));
}

void VariableServiceObject::CheckValue(vorlane::Variable& variable, const std::string& who,
                                       std::vector<std::string>& lines) {
  vorlane::VarTypeEnum type = vorlane::VarTypeEnum::Generic;
  com::Variant value;
  try {
    type = variable.VarType();
    value = variable.Value();
  } catch (const com::Error& e) {
    // Shown, not raised: a variable whose type or value cannot be read is a
    // finding like any other, and the checks of the others go on.
    lines.push_back(who + ": its type or value cannot be read (" + e.description() + ").");
    return;
  }
  if (value.IsEmpty() || value.IsNull()) return;  // no value fits every type
  const TypeRule rule = Fit(variable, type, value);
  if (!rule.fits) lines.push_back(who + ": the value " + Shown(value) + " is not a " + rule.name + " value.");
}

std::string VariableServiceObject::Findings() {
  // The variables by name (without regard to case), read once.
  std::unordered_map<std::string, std::vector<std::string>> by_name;
  if (std::any_of(checks_.begin(), checks_.end(), [](const Check& c) { return !c.name.empty(); })) {
    auto variables = process_->Variables();
    for (int32_t i = 1, n = variables->Count(); i <= n; ++i) {
      auto v = variables->Item(com::Variant(i));
      by_name[text::Upper(v->Name())].push_back(v->ID());
    }
  }
  std::string all;
  auto add = [&](const std::string& line) {
    if (!all.empty()) all += '\n';
    all += line;
  };
  for (const Check& c : checks_) {
    for (size_t i = 0; i < c.name_at; ++i) add(c.lines[i]);
    if (!c.name.empty()) {
      auto same = by_name.find(text::Upper(c.name));
      for (const std::string& other : same == by_name.end() ? std::vector<std::string>() : same->second) {
        if (NormalizeId(other) != c.id) add(c.who + " has the name of variable " + other + ".");
      }
    }
    for (size_t i = c.name_at; i < c.lines.size(); ++i) add(c.lines[i]);
  }
  return all;
}

}  // namespace designer
