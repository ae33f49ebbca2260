#pragma once

#include <memory>

#include "embedded/store/schema.h"
#include "platform/ostrel/field_type_collection.h"

namespace embedded {

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

}  // namespace embedded
