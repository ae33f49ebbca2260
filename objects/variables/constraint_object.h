#pragma once

#include "objects/core/row_wrapper.h"
#include "vorlane/constraint.h"

namespace vorlane {

class ConstraintObject final : public com::Object<Constraint>, public RowWrapper {
 public:
  std::string ID() override { return GetStrictID("ID"); }
  std::string PrevFunction() override { return GetLooseID("PrevFunction"); }
  void SetPrevFunction(const std::string& v) override { PutText("PrevFunction", v); }
  bool Completed() override { return GetBool("Completed"); }
  void SetCompleted(bool v) override { PutBool("Completed", v); }
  void Refresh(bool /*deep_refresh: not used*/) override { row().Refresh(false); }
};

}  // namespace vorlane
