// The card importer's reading of the platform's schema.
#include "objects/exchange/import_schema.h"

#include "common/ids.h"
#include "objects/core/card_layout.h"
#include "platform/ostrel/field_type.h"
#include "platform/ostrel/field_type_codes.h"
#include "platform/ostrel/field_type_collection.h"
#include "platform/ostrel/section_type_collection.h"

namespace vorlane {
namespace {

// The task card's section whose rows may spell two field names as older
// exports did.
constexpr char kTaskSection[] = "{D48E6155-C774-4205-AB70-7A67AB69DF22}";

}  // namespace

const ImportSchema::Field* ImportSchema::Section::Find(std::string_view name) const {
  // Each spelling is matched without regard to case once per import; the
  // rows after the first that spell it find it by its bytes.
  if (auto known = spellings_.find(name); known != spellings_.end()) return known->second;
  auto it = by_name_.find(name);
  const Field* field = it == by_name_.end() ? nullptr : &fields[it->second];
  spellings_.emplace(name, field);
  return field;
}

const ImportSchema::Section& ImportSchema::SectionOf(ostrel::SectionType& type) {
  // Section IDs are GUIDs: one ID names one section type whatever card type
  // it is reached through.
  std::string id = NormalizeID(type.GetID());
  if (auto it = sections_.find(id); it != sections_.end()) return *it->second;

  auto section = std::make_unique<Section>();
  section->id = id;
  section->name = type.GetName();
  section->row_name = section->name + "Row";
  section->kind = type.GetSectionKind();
  section->appends_line_feed = SameID(id, layout::kFunctions) || SameID(id, layout::kFunctionSpare);
  if (SameID(id, layout::kVariables)) section->spare_value = layout::kVariableSpare;
  if (SameID(id, layout::kValues)) section->spare_value = layout::kValueSpare;
  section->renames_employee = SameID(id, kTaskSection);
  for (const char* keyed : {layout::kFunctions, layout::kGates, layout::kLinks, layout::kVariables, layout::kDocTypes}) {
    if (SameID(id, keyed)) section->keyed_by_id = true;
  }
  com::Ref<ostrel::FieldTypeCollection> fields = type.GetFieldTypes();
  const int32_t field_count = fields->Count();
  section->fields.reserve(static_cast<size_t>(field_count));
  for (int32_t i = 0; i < field_count; ++i) {
    com::Ref<ostrel::FieldType> f = fields->Item(com::Variant(i));
    Field field;
    field.name = f->GetName();
    field.position = i;
    field.code = f->GetType();
    field.flags = f->GetFlags();
    if (field.code == ostrel::field_type::kVariant) field.type_attribute = "_Type_" + field.name;
    if (const ostrel::FieldTypeCode* code = ostrel::FindFieldTypeCode(field.code);
        code && !code->xml_type.empty() && !text::EqualNoCase(code->xml_type, "string")) {
      field.xml_type = code->xml_type;
      field.xml_read = ostrel::XmlReadType(field.xml_type);
    }
    // A function's settings text is stored ending with a line feed.
    field.ends_with_line_feed = section->appends_line_feed && text::Upper(field.name) == "DATA";
    section->by_name_.emplace(field.name, section->fields.size());
    section->fields.push_back(std::move(field));
  }

  if (SameID(id, layout::kFunctions)) {
    for (const Field& field : section->fields) {
      if (text::EqualNoCase(field.name, "XPos") || text::EqualNoCase(field.name, "YPos")) {
        section->single_fields.push_back(&field);
      }
    }
  }

  Section& placed = *sections_.emplace(id, std::move(section)).first->second;
  com::Ref<ostrel::SectionTypeCollection> subs = type.GetSubSectionTypes();
  const int32_t sub_count = subs->Count();
  for (int32_t i = 0; i < sub_count; ++i) {
    placed.subsections.push_back(&SectionOf(*subs->Item(com::Variant(i))));
  }
  return placed;
}

const ImportSchema::Card& ImportSchema::CardOf(ostrel::CardType& type) {
  std::string id = NormalizeID(type.GetID());
  if (auto it = cards_.find(id); it != cards_.end()) return *it->second;

  auto card = std::make_unique<Card>();
  card->id = id;
  com::Ref<ostrel::SectionTypeCollection> top = type.GetSectionTypes();
  const int32_t count = top->Count();
  for (int32_t i = 0; i < count; ++i) card->sections.push_back(&SectionOf(*top->Item(com::Variant(i))));

  com::Ref<ostrel::SectionTypeCollection> all = type.GetAllSectionTypes();
  const int32_t all_count = all->Count();
  for (int32_t i = 0; i < all_count; ++i) {
    const Section& s = SectionOf(*all->Item(com::Variant(i)));
    for (const Field& f : s.fields) {
      if (f.code == ostrel::field_type::kRowRef && !(f.flags & ostrel::field_flag::kSystem)) {
        card->row_references.push_back(RowReference{s.id, f.name});
      }
    }
  }
  return *cards_.emplace(id, std::move(card)).first->second;
}

}  // namespace vorlane
