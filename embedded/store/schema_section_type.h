#pragma once

#include <memory>

#include "embedded/store/schema.h"
#include "platform/ostrel/section_type.h"

namespace embedded {

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

}  // namespace embedded
