#pragma once

#include <memory>

#include "embedded/store/schema.h"
#include "platform/ostrel/field_type.h"

namespace embedded {

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
