#pragma once

#include "objects/core/row_wrapper.h"
#include "vorlane/doc_type.h"

namespace vorlane {

class DocTypeObject final : public com::Object<DocType>, public RowWrapper {
 public:
  std::string ID() override { return GetStrictID("ID"); }
  std::string TypeID() override { return GetStrictID("TypeID"); }
  void SetTypeID(const std::string& v) override { PutText("TypeID", v); }
  void Refresh(bool /*deep_refresh: not used*/) override { row().Refresh(false); }
};

}  // namespace vorlane
