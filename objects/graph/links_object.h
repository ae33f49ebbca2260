#pragma once

#include "objects/core/row_list.h"
#include "objects/graph/link_object.h"
#include "vorlane/links.h"

namespace vorlane {

class LinksObject final : public RowListCollection<Links, Link, LinkObject> {
 public:
  LinksObject() : RowListCollection({.key = KeyBy::ID}) {}
  com::Ref<Link> AddNew() override;
};

}  // namespace vorlane
