#include "embedded/search/search_query_object.h"

#include <vector>

#include "embedded/search/query_text.h"
#include "platform/com/dispatch.h"
#include "platform/com/error.h"
#include "platform/ostrel/field_type_codes.h"

namespace embedded::search {
namespace {

[[noreturn]] void Refuse(com::HResult code, const std::string& text) { throw com::Error(code, "Ostrel", text); }

com::Guid IdArgument(const std::string& text, const char* what) {
  std::optional<com::Guid> id = com::Guid::Parse(text);
  if (!id) Refuse(com::hr::kInvalidArg, std::string(what) + " \"" + text + "\" is no GUID");
  return *id;
}

// A condition value has to survive the trip through the query's text: a
// scalar, or nothing (Null, Empty) for an empty field.
void CheckValue(const com::Variant& value) {
  switch (value.type()) {
    case com::Variant::Type::Object:
    case com::Variant::Type::Array:
    case com::Variant::Type::Error:
      Refuse(com::hr::kTypeMismatch, "A search condition compares a field with a single value");
    default:
      return;
  }
}

class SearchConditionObject final : public com::Object<ostrel::SearchCondition> {
 public:
  SearchConditionObject(std::string field, int32_t operation, int32_t link, com::Variant value)
      : field_(std::move(field)), operation_(operation), link_(link), value_(std::move(value)) {}

  std::string GetFieldName() override { return field_; }
  int32_t GetOperation() override { return operation_; }
  int32_t GetLink() override { return link_; }
  com::Variant GetValue() override { return value_; }
  bool GetTypedValue() override { return typed_; }
  void SetTypedValue(bool value) override { typed_ = value; }

  ConditionSpec Spec() const {
    ConditionSpec c;
    c.field = field_;
    c.operation = operation_;
    c.link = link_;
    if (!value_.IsNull() && !value_.IsEmpty()) c.value = ostrel::ToXmlText(value_);
    c.typed = typed_;
    return c;
  }

 private:
  std::string field_;
  int32_t operation_;
  int32_t link_;
  com::Variant value_;
  bool typed_ = false;
};

class SectionQueryObject final : public com::Object<ostrel::SectionQuery> {
 public:
  SectionQueryObject(std::string id_text, const com::Guid& id) : id_text_(std::move(id_text)), id_(id) {}

  std::string GetSectionID() override { return id_text_; }
  com::Ref<ostrel::SearchCondition> AddCondition(const std::string& field_name, int32_t operation, int32_t link,
                                                 const com::Variant& value) override {
    if (field_name.empty()) Refuse(com::hr::kInvalidArg, "A search condition needs a field name");
    if (!OperationName(operation)) {
      Refuse(com::hr::kInvalidArg, "Search operation " + std::to_string(operation) + " is not defined");
    }
    if (!LinkName(link)) Refuse(com::hr::kInvalidArg, "Search link " + std::to_string(link) + " is not defined");
    CheckValue(value);
    return conditions_.emplace_back(com::Make<SearchConditionObject>(field_name, operation, link, value));
  }
  int32_t GetConditionCount() override { return static_cast<int32_t>(conditions_.size()); }

  SectionSpec Spec() const {
    SectionSpec s{id_, {}};
    for (const auto& c : conditions_) s.conditions.push_back(c->Spec());
    return s;
  }

 private:
  std::string id_text_;
  com::Guid id_;
  std::vector<com::Ref<SearchConditionObject>> conditions_;
};

class CardTypeQueryObject final : public com::Object<ostrel::CardTypeQuery> {
 public:
  CardTypeQueryObject(std::string id_text, const com::Guid& id) : id_text_(std::move(id_text)), id_(id) {}

  std::string GetCardTypeID() override { return id_text_; }
  com::Ref<ostrel::SectionQuery> AddSectionQuery(const std::string& section_id) override {
    return sections_.emplace_back(com::Make<SectionQueryObject>(section_id, IdArgument(section_id, "Section ID")));
  }
  int32_t GetSectionQueryCount() override { return static_cast<int32_t>(sections_.size()); }

  CardTypeSpec Spec() const {
    CardTypeSpec t{id_, {}};
    for (const auto& s : sections_) t.sections.push_back(s->Spec());
    return t;
  }

 private:
  std::string id_text_;
  com::Guid id_;
  std::vector<com::Ref<SectionQueryObject>> sections_;
};

class AttributeSearchObject final : public com::Object<ostrel::AttributeSearch> {
 public:
  com::Ref<ostrel::CardTypeQuery> AddCardTypeQuery(const std::string& card_type_id) override {
    return types_.emplace_back(com::Make<CardTypeQueryObject>(card_type_id, IdArgument(card_type_id, "Card type ID")));
  }
  int32_t GetCardTypeQueryCount() override { return static_cast<int32_t>(types_.size()); }

  std::vector<CardTypeSpec> Spec() const {
    std::vector<CardTypeSpec> out;
    for (const auto& t : types_) out.push_back(t->Spec());
    return out;
  }

 private:
  std::vector<com::Ref<CardTypeQueryObject>> types_;
};

class SearchQueryObject final : public com::Object<ostrel::SearchQuery> {
 public:
  com::Ref<ostrel::AttributeSearch> GetAttributeSearch() override { return search_; }

  std::string Render(bool indented, const com::Variant& reserved) override {
    if (!reserved.IsNull() && !reserved.IsEmpty()) {
      Refuse(com::hr::kInvalidArg, "The second argument of SearchQuery.Render is reserved and must be Null");
    }
    QuerySpec query;
    query.card_types = search_->Spec();
    return RenderQuery(query, indented);
  }

 private:
  com::Ref<AttributeSearchObject> search_ = com::Make<AttributeSearchObject>();
};

}  // namespace

com::Ref<ostrel::SearchQuery> NewSearchQuery() { return com::Make<SearchQueryObject>(); }

com::ClassInfo SearchQueryClass() {
  com::ClassInfo info;
  info.clsid = ostrel::SearchQuery::kCLSID;
  info.progid = "Ostrel.SearchQuery";
  info.creatable = true;
  info.factory = [] { return com::Ref<com::Unknown>(NewSearchQuery()); };
  info.module = "vorlane_store";
  return info;
}

namespace {
const com::ClassRegistrar kSearchQueryClass{SearchQueryClass()};
}  // namespace

}  // namespace embedded::search
