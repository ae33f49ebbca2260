#pragma once

#include <memory>
#include <vector>

#include "embedded/store/schema.h"
#include "platform/ostrel/card_type.h"
#include "platform/ostrel/field_type.h"
#include "platform/ostrel/field_type_collection.h"
#include "platform/ostrel/section_type.h"
#include "platform/ostrel/section_type_collection.h"

// The schema as the platform's CardType, SectionType and FieldType objects:
// each a view of the schema's definitions, which it keeps alive.
namespace embedded {

// A card type of the store's schema as the platform shows it.
class SchemaCardType final : public com::Object<ostrel::CardType> {
 public:
  SchemaCardType(std::shared_ptr<const Schema> schema, const CardTypeDef& type)
      : schema_(std::move(schema)), type_(type) {}

  std::string GetID() override { return type_.id_text; }
  std::string GetName() override { return type_.name; }
  std::string GetDisplayName() override { return type_.display_name; }
  com::Ref<ostrel::SectionTypeCollection> GetSectionTypes() override;
  com::Ref<ostrel::SectionTypeCollection> GetAllSectionTypes() override;

 private:
  std::shared_ptr<const Schema> schema_;
  const CardTypeDef& type_;
};

// A list of section types of the schema.
class SchemaSectionTypes final : public com::Object<ostrel::SectionTypeCollection> {
 public:
  SchemaSectionTypes(std::shared_ptr<const Schema> schema, std::vector<const SectionDef*> sections)
      : schema_(std::move(schema)), sections_(std::move(sections)) {}

  int32_t Count() override { return static_cast<int32_t>(sections_.size()); }
  com::Ref<ostrel::SectionType> Item(const com::Variant& index) override;
  bool Contains(const std::string& name_or_id) override { return Find(name_or_id) != nullptr; }

 private:
  const SectionDef* Find(std::string_view name_or_id) const;

  std::shared_ptr<const Schema> schema_;
  std::vector<const SectionDef*> sections_;
};

// A section type of the schema.
class SchemaSectionType final : public com::Object<ostrel::SectionType> {
 public:
  SchemaSectionType(std::shared_ptr<const Schema> schema, const SectionDef& section)
      : schema_(std::move(schema)), section_(section) {}

  std::string GetID() override { return section_.id_text; }
  std::string GetName() override { return section_.name; }
  int32_t GetSectionKind() override { return section_.kind; }
  com::Ref<ostrel::SectionTypeCollection> GetSubSectionTypes() override;
  com::Ref<ostrel::FieldTypeCollection> GetFieldTypes() override;

 private:
  std::shared_ptr<const Schema> schema_;
  const SectionDef& section_;
};

// The fields of a section type.
class SchemaFieldTypes final : public com::Object<ostrel::FieldTypeCollection> {
 public:
  SchemaFieldTypes(std::shared_ptr<const Schema> schema, const SectionDef& section)
      : schema_(std::move(schema)), section_(section) {}

  int32_t Count() override { return static_cast<int32_t>(section_.fields.size()); }
  com::Ref<ostrel::FieldType> Item(const com::Variant& index) override;
  bool Contains(const std::string& name) override { return section_.FieldIndex(name).has_value(); }

 private:
  std::shared_ptr<const Schema> schema_;
  const SectionDef& section_;
};

// A field of a section type.
class SchemaFieldType final : public com::Object<ostrel::FieldType> {
 public:
  SchemaFieldType(std::shared_ptr<const Schema> schema, const FieldDef& field)
      : schema_(std::move(schema)), field_(field) {}

  std::string GetName() override { return field_.name; }
  int32_t GetType() override { return field_.code; }
  int32_t GetFlags() override { return field_.flags; }
  com::Variant GetDefaultValue() override { return field_.default_value; }

 private:
  std::shared_ptr<const Schema> schema_;
  const FieldDef& field_;
};

}  // namespace embedded
