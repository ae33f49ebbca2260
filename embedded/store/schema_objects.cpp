// The schema as the platform's CardType, SectionType and FieldType objects.
#include "embedded/store/schema_objects.h"
#include "platform/ostrel/errors.h"

namespace embedded {
namespace {

[[noreturn]] void Missing(std::string_view what, std::string_view name) {
  throw com::Error(ostrel::err::kUnknownSchemaItem, std::string(ostrel::err::kSource),
                   "No " + std::string(what) + " \"" + std::string(name) + "\"");
}

size_t Position(const com::Variant& index, size_t count) {
  int32_t i = index.ToI4();
  if (i < 0 || static_cast<size_t>(i) >= count) {
    throw com::Error(com::hr::kSubscriptOutOfRange, std::string(ostrel::err::kSource),
                     "Position " + std::to_string(i) + " is outside 0.." + std::to_string(static_cast<int64_t>(count) - 1));
  }
  return static_cast<size_t>(i);
}

}  // namespace

com::Ref<ostrel::SectionTypeCollection> SchemaCardType::GetSectionTypes() {
  return com::Make<SchemaSectionTypes>(schema_, type_.top);
}

com::Ref<ostrel::SectionTypeCollection> SchemaCardType::GetAllSectionTypes() {
  // Depth-first, parents before their sub-sections.
  std::vector<const SectionDef*> all;
  auto walk = [&](auto&& self, const SectionDef* s) -> void {
    all.push_back(s);
    for (const SectionDef* sub : s->subsections) self(self, sub);
  };
  for (const SectionDef* s : type_.top) walk(walk, s);
  return com::Make<SchemaSectionTypes>(schema_, std::move(all));
}

const SectionDef* SchemaSectionTypes::Find(std::string_view name_or_id) const {
  auto id = com::Guid::Parse(name_or_id);
  for (const SectionDef* s : sections_) {
    if ((id && s->id == *id) || text::EqualNoCase(s->name, name_or_id)) return s;
  }
  return nullptr;
}

com::Ref<ostrel::SectionType> SchemaSectionTypes::Item(const com::Variant& index) {
  if (const std::string* name = index.TryText()) {
    const SectionDef* s = Find(*name);
    if (!s) Missing("section type", *name);
    return com::Make<SchemaSectionType>(schema_, *s);
  }
  return com::Make<SchemaSectionType>(schema_, *sections_[Position(index, sections_.size())]);
}

com::Ref<ostrel::SectionTypeCollection> SchemaSectionType::GetSubSectionTypes() {
  return com::Make<SchemaSectionTypes>(schema_, section_.subsections);
}

com::Ref<ostrel::FieldTypeCollection> SchemaSectionType::GetFieldTypes() {
  return com::Make<SchemaFieldTypes>(schema_, section_);
}

com::Ref<ostrel::FieldType> SchemaFieldTypes::Item(const com::Variant& index) {
  if (const std::string* name = index.TryText()) {
    auto i = section_.FieldIndex(*name);
    if (!i) Missing("field of section \"" + section_.name + "\":", *name);
    return com::Make<SchemaFieldType>(schema_, section_.fields[*i]);
  }
  return com::Make<SchemaFieldType>(schema_, section_.fields[Position(index, section_.fields.size())]);
}

}  // namespace embedded
