#pragma once

#include <memory>
#include <vector>

#include "embedded/store/schema.h"
#include "platform/ostrel/section_type_collection.h"

namespace embedded {

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

}  // namespace embedded
