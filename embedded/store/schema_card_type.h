#pragma once

#include <memory>

#include "embedded/store/schema.h"
#include "platform/ostrel/card_type.h"

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

}  // namespace embedded
