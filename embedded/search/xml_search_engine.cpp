#include "embedded/search/xml_search_engine.h"

#include <unordered_set>

#include "embedded/search/query_text.h"
#include "embedded/store/store.h"
#include "platform/com/error.h"
#include "platform/com/text.h"
#include "platform/ostrel/errors.h"
#include "platform/ostrel/field_type_codes.h"
#include "platform/ostrel/search_query.h"

namespace embedded::search {
namespace {

namespace op = ostrel::search_operation;
using com::Variant;

[[noreturn]] void Fail(com::HResult code, const std::string& text) {
  throw com::Error(code, std::string(ostrel::err::kSource), text);
}

// A condition resolved against the schema.
struct Condition {
  const FieldDef* field = nullptr;
  bool template_field = false;  // answered from the card's template flag
  int32_t operation = op::kEquals;
  int32_t link = ostrel::search_link::kAnd;
  bool typed = false;
  bool has_value = false;
  std::string text;  // the value's text ("" for none)
  // Typed conditions: the value as the field stores it; nullopt when it does
  // not convert, and then the condition is never met.
  std::optional<Variant> value;
};

struct SectionPlan {
  const SectionDef* section = nullptr;
  std::vector<Condition> conditions;
  // The template-flag index answers this section query whole.
  bool by_index = false;
};

struct TypePlan {
  const CardTypeDef* type = nullptr;
  std::vector<SectionPlan> sections;
  std::optional<bool> is_template;  // candidates from the template-flag index
  bool load_cards = false;          // some section query needs the rows
};

bool IsNumberLike(Variant::Type t) {
  using T = Variant::Type;
  return t == T::I2 || t == T::I4 || t == T::R4 || t == T::R8 || t == T::Bool || t == T::Date;
}

// The field's stored type; the template field holds 1 or 0 whatever its
// declared type.
int CodeOf(const Condition& c) { return c.template_field ? ostrel::field_type::kInteger : c.field->code; }

// The value read as the field's type, nullopt when it does not read so.
std::optional<Variant> TypedValue(const std::string& text, int code) {
  if (code == ostrel::field_type::kVariant) return Variant(text);
  const ostrel::FieldTypeCode* kind = ostrel::FindFieldTypeCode(code);
  if (!kind) return std::nullopt;
  std::optional<Variant> read = ostrel::FromXmlText(text, kind->xml_type);
  if (!read) return std::nullopt;
  try {
    return ostrel::ConvertToFieldType(*read, code);
  } catch (const com::Error&) {
    // A value the field cannot hold (an overflow, a text that is no GUID)
    // finds nothing, as a value that does not read as the type.
    return std::nullopt;
  }
}

Condition Resolve(const CardTypeDef& type, const SectionDef& section, const ConditionSpec& wanted) {
  Condition c;
  std::optional<size_t> index = section.FieldIndex(wanted.field);
  if (!index) {
    Fail(ostrel::err::kUnknownSchemaItem, "Search query: the section " + section.name + " of " + type.name +
                                              " has no field \"" + wanted.field + "\"");
  }
  c.field = &section.fields[*index];
  c.template_field = &section == type.template_section && static_cast<int>(*index) == type.template_field;
  c.operation = wanted.operation;
  c.link = wanted.link;
  c.typed = wanted.typed;
  c.has_value = wanted.value.has_value();
  c.text = wanted.value.value_or("");
  const int code = CodeOf(c);
  if (c.operation == op::kContains) {
    if (!ostrel::IsTextCode(code) && code != ostrel::field_type::kVariant) {
      Fail(com::hr::kInvalidArg, "Search query: \"contains\" applies to text fields, and " + c.field->name +
                                     " of " + section.name + " holds no text");
    }
    return c;
  }
  if (c.typed && c.has_value) c.value = TypedValue(c.text, code);
  return c;
}

// A group of "and" terms with "template field equals 1 (or 0)" among them
// reads its candidates from the index of that flag; when that is its only
// term, the index answers it on its own.
std::optional<bool> TemplateIndexOf(const SectionPlan& plan) {
  for (size_t i = 1; i < plan.conditions.size(); ++i) {
    if (plan.conditions[i].link != ostrel::search_link::kAnd) return std::nullopt;
  }
  for (const Condition& c : plan.conditions) {
    if (!c.template_field || c.operation != op::kEquals || !c.has_value) continue;
    if (c.typed) {
      if (c.value && (c.value->ToI4() == 0 || c.value->ToI4() == 1)) return c.value->ToI4() == 1;
    } else if (c.text == "1" || c.text == "0") {
      return c.text == "1";
    }
    return std::nullopt;
  }
  return std::nullopt;
}

TypePlan Plan(const Schema& schema, const CardTypeSpec& wanted) {
  TypePlan plan;
  plan.type = schema.Find(wanted.card_type);
  if (!plan.type) {
    Fail(ostrel::err::kUnknownCardType, "Search query: no card type " + wanted.card_type.ToString() + " is defined");
  }
  for (const SectionSpec& s : wanted.sections) {
    SectionPlan& sp = plan.sections.emplace_back();
    sp.section = plan.type->Section(s.section);
    if (!sp.section) {
      Fail(ostrel::err::kUnknownSchemaItem,
           "Search query: the card type " + plan.type->name + " has no section " + s.section.ToString());
    }
    for (const ConditionSpec& c : s.conditions) sp.conditions.push_back(Resolve(*plan.type, *sp.section, c));
    if (std::optional<bool> flag = TemplateIndexOf(sp); flag && !plan.is_template) {
      plan.is_template = flag;
      sp.by_index = sp.conditions.size() == 1;
    }
    plan.load_cards = plan.load_cards || !sp.by_index;
  }
  return plan;
}

int Order(double a, double b) { return a < b ? -1 : (a > b ? 1 : 0); }
int Order(std::string_view a, std::string_view b) {
  const int r = a.compare(b);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

// -1, 0 or 1 for the field's value `have` against the condition's typed
// value; nullopt when they do not compare (a text beside a number in a
// variant field).
std::optional<int> CompareTyped(const Variant& have, const Condition& c) {
  const Variant& want = *c.value;
  if (IsNumberLike(have.type()) && IsNumberLike(want.type())) return Order(have.ToR8(), want.ToR8());
  if (IsNumberLike(have.type())) {
    // A variant field holding a number: the value compares when it reads as one.
    const bool date = have.type() == Variant::Type::Date;
    std::optional<Variant> read = ostrel::FromXmlText(c.text, date ? "dateTime" : "float");
    if (!read) return std::nullopt;
    return Order(have.ToR8(), read->ToR8());
  }
  const std::string* s = have.TryText();
  if (!s) return std::nullopt;
  const std::string* w = want.TryText();
  return Order(*s, w ? *w : c.text);
}

bool Holds(int order, int32_t operation) {
  switch (operation) {
    case op::kEquals: return order == 0;
    case op::kNotEquals: return order != 0;
    case op::kLess: return order < 0;
    case op::kLessOrEqual: return order <= 0;
    case op::kGreater: return order > 0;
    case op::kGreaterOrEqual: return order >= 0;
    default: return false;
  }
}

bool Meets(const Variant& have, const Condition& c) {
  if (c.operation == op::kContains) {
    return !have.IsNull() && text::FindNoCase(ostrel::ToXmlText(have), c.text) != std::string::npos;
  }
  if (!c.typed) {
    // As text: an empty field reads "", and so does a condition without a value.
    return Holds(Order(ostrel::ToXmlText(have), c.text), c.operation);
  }
  if (!c.has_value) {
    // Typed without a value: compares with an empty field.
    if (c.operation == op::kEquals) return have.IsNull();
    if (c.operation == op::kNotEquals) return !have.IsNull();
    return false;
  }
  if (!c.value) return false;  // a value the field cannot hold finds nothing
  if (have.IsNull()) return c.operation == op::kNotEquals;
  std::optional<int> order = CompareTyped(have, c);
  if (!order) return c.operation == op::kNotEquals;
  return Holds(*order, c.operation);
}

// A row of a section as conditions read it; a card-level single-row section
// without its row reads as the row a first GetFirstRow would make.
struct RowView {
  const RowRecord* record = nullptr;
  const CardHeader* header = nullptr;

  Variant Field(const Condition& c) const {
    if (c.template_field) return Variant(int32_t{header->is_template ? 1 : 0});
    if (!record) return c.field->default_value;
    const Variant* v = record->Find(c.field->name);
    return v ? *v : Variant::Null();
  }
};

// Conditions are taken in order, left to right, each joined to the result
// so far by its link, without precedence.
bool GroupMet(const std::vector<Condition>& conditions, const RowView& row) {
  bool met = true;
  for (size_t i = 0; i < conditions.size(); ++i) {
    const Condition& c = conditions[i];
    if (i == 0) {
      met = Meets(row.Field(c), c);
    } else if (c.link == ostrel::search_link::kOr) {
      met = met || Meets(row.Field(c), c);
    } else {
      met = met && Meets(row.Field(c), c);
    }
  }
  return met;
}

bool SectionMet(const SectionPlan& plan, const CardImage& card) {
  if (plan.by_index) return true;
  bool any_row = false;
  for (const auto& [id, row] : card.rows) {
    if (row.section != plan.section->id) continue;
    any_row = true;
    if (GroupMet(plan.conditions, RowView{&row, &card.header})) return true;
  }
  if (!any_row && plan.section->IsSingleRow() && !plan.section->parent) {
    return GroupMet(plan.conditions, RowView{nullptr, &card.header});
  }
  return false;
}

}  // namespace

std::vector<com::Guid> XmlSearchEngine::Find(Store& store, std::string_view text) {
  const QuerySpec query = ParseQuery(text);
  // Every part is checked against the schema before any card is read.
  std::vector<TypePlan> plans;
  for (const CardTypeSpec& wanted : query.card_types) plans.push_back(Plan(store.schema(), wanted));

  std::vector<com::Guid> found;
  std::unordered_set<com::Guid, com::GuidHash> seen;
  const size_t limit = query.limit ? static_cast<size_t>(*query.limit) : SIZE_MAX;
  Storage& storage = store.storage();
  for (const TypePlan& plan : plans) {
    const std::vector<com::Guid> candidates =
        plan.is_template ? storage.ListByTemplate(plan.type->id, *plan.is_template) : storage.List(plan.type->id);
    for (const com::Guid& id : candidates) {
      if (found.size() >= limit) return found;
      if (seen.contains(id)) continue;
      if (plan.load_cards) {
        std::optional<CardImage> card = storage.Load(id);
        // A card deleted since the listing is not found.
        if (!card || card->header.deleted) continue;
        bool met = true;
        for (const SectionPlan& s : plan.sections) met = met && SectionMet(s, *card);
        if (!met) continue;
      }
      seen.insert(id);
      found.push_back(id);
    }
  }
  return found;
}

}  // namespace embedded::search
