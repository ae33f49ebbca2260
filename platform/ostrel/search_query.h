#pragma once

#include <cstdint>
#include <string>

#include "platform/com/unknown.h"
#include "platform/com/variant.h"

// The platform's search query: an object that a client builds part by part
// and renders as the text that CardManager.FindCards reads. Libraries create
// it by class ID through the class registry (com::CreateInstance); the
// platform registers it as ProgID "Ostrel.SearchQuery".
//
// A query is built as a tree: the query's attribute search holds card-type
// queries; a card-type query holds section queries; a section query holds a
// group of conditions on the fields of that section's rows. A card is found
// when it is of one of the card types and, for each of that type's section
// queries, some row of the section meets the section's conditions.
//
//   SearchQuery ── AttributeSearch ── CardTypeQuery* ── SectionQuery* ── SearchCondition*
//
// The parts are owned by the query: a part handed out stays valid while the
// query lives, and changing it changes the query.
namespace ostrel {

// How a condition compares the field with its value (its first code).
namespace search_operation {
inline constexpr int32_t kEquals = 0;
inline constexpr int32_t kNotEquals = 1;
inline constexpr int32_t kLess = 2;
inline constexpr int32_t kLessOrEqual = 3;
inline constexpr int32_t kGreater = 4;
inline constexpr int32_t kGreaterOrEqual = 5;
// Text fields only: the field's text holds the value's text (case-insensitive).
inline constexpr int32_t kContains = 6;
}  // namespace search_operation

// How a condition joins the conditions before it in its group (its second
// code); the first condition of a group has nothing to join and ignores it.
// Conditions are taken in order, left to right, without precedence.
namespace search_link {
inline constexpr int32_t kAnd = 0;
inline constexpr int32_t kOr = 1;
}  // namespace search_link

// One condition on one field of a section's rows.
class SearchCondition : public virtual com::Unknown {
 public:
  static constexpr com::Guid kIID{"{5B0E7C41-2D96-4F3A-8E17-C4A9B1F06D28}"};

  virtual std::string GetFieldName() = 0;
  virtual int32_t GetOperation() = 0;  // a search_operation code
  virtual int32_t GetLink() = 0;       // a search_link code
  virtual com::Variant GetValue() = 0;
  // True: the value is converted to the field's type before it is compared
  // (the text "1" finds an integer field holding 1, and a value that does not
  // convert finds nothing); False, the default: the field's value is
  // compared as text with the value's text.
  virtual bool GetTypedValue() = 0;
  virtual void SetTypedValue(bool value) = 0;
};

// The conditions on the rows of one section (card-level or sub-section) of
// the card type.
class SectionQuery : public virtual com::Unknown {
 public:
  static constexpr com::Guid kIID{"{A3D51F86-0C7B-4E29-9B64-7F2E8D1C5A03}"};

  // As given to CardTypeQuery.AddSectionQuery.
  virtual std::string GetSectionID() = 0;
  // Adds a condition at the end of the section's condition group.
  // `operation` is a search_operation code, `link` a search_link code;
  // other codes fail with 0x80070057 (invalid argument).
  virtual com::Ref<SearchCondition> AddCondition(const std::string& field_name, int32_t operation, int32_t link,
                                                 const com::Variant& value) = 0;
  virtual int32_t GetConditionCount() = 0;
};

// The cards of one card type, narrowed by section queries.
class CardTypeQuery : public virtual com::Unknown {
 public:
  static constexpr com::Guid kIID{"{6E29B0D4-81A5-4C7F-A3E2-0B5D9F47C816}"};

  // As given to AttributeSearch.AddCardTypeQuery.
  virtual std::string GetCardTypeID() = 0;
  // Adds a query on the section `section_id` (any letter case, braces
  // optional) of the card type.
  virtual com::Ref<SectionQuery> AddSectionQuery(const std::string& section_id) = 0;
  virtual int32_t GetSectionQueryCount() = 0;
};

// The part of a query that looks at the cards' field values. A card is found
// when any of its card-type queries finds it.
class AttributeSearch : public virtual com::Unknown {
 public:
  static constexpr com::Guid kIID{"{C81F4A27-9E63-4B05-8D1A-52E7B3C0F964}"};

  // Adds a query on the cards of type `card_type_id` (any letter case,
  // braces optional).
  virtual com::Ref<CardTypeQuery> AddCardTypeQuery(const std::string& card_type_id) = 0;
  virtual int32_t GetCardTypeQueryCount() = 0;
};

// Class ID {233C4A3C-AC23-4798-B3F8-66A49B6DE3F0}.
class SearchQuery : public virtual com::Unknown {
 public:
  static constexpr com::Guid kIID{"{0F7A3D92-B5C4-4E18-9D67-E12A8C3B5F40}"};
  static constexpr com::Guid kCLSID{"{233C4A3C-AC23-4798-B3F8-66A49B6DE3F0}"};

  // The query's attribute search; the same object on every call.
  virtual com::Ref<AttributeSearch> GetAttributeSearch() = 0;
  // The query as the text that CardManager.FindCards reads. `indented`: True
  // lays the text out one part per line, False writes it on one line; both
  // read the same. `reserved` must be Null (or left Empty); any other value
  // fails with 0x80070057.
  virtual std::string Render(bool indented, const com::Variant& reserved) = 0;
};

}  // namespace ostrel
