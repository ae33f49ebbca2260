#pragma once

#include "objects/core/row_list.h"
#include "objects/variables/doc_type_object.h"
#include "vorlane/doc_types.h"

namespace vorlane {

// Listed in row order, keyed by ID.
class DocTypesObject final : public RowListCollection<DocTypes, DocType, DocTypeObject> {
 public:
  DocTypesObject() : RowListCollection({.key = KeyBy::ID}) {}
  com::Ref<DocType> AddNew() override;
};

}  // namespace vorlane
