#pragma once

#include "objects/core/row_wrapper.h"
#include "objects/variables/constraints_object.h"
#include "vorlane/pass_state.h"

namespace vorlane {

class PassStateObject final : public com::Object<PassState>, public RowWrapper {
 public:
  std::string ID() override { return GetLooseID("ID"); }
  int32_t Pass() override { return GetLong("Pass"); }
  void SetPass(int32_t pass) { PutLong("Pass", pass); }
  // Long texts are kept whole in the spare row, escaped from 32001 characters on.
  std::string Data() override;
  void SetData(const std::string& value) override;
  bool HasErrors() override { return GetBool("HasErrors"); }
  void SetHasErrors(bool v) override { PutBool("HasErrors", v); }
  bool HasWarnings() override { return GetBool("HasWarnings"); }
  void SetHasWarnings(bool v) override { PutBool("HasWarnings", v); }
  FuncStateEnum State() override { return static_cast<FuncStateEnum>(GetLong("State")); }
  void SetState(FuncStateEnum v) override { PutLong("State", static_cast<int32_t>(v)); }
  com::Ref<vorlane::Constraints> Constraints() override;
  void Refresh(bool deep_refresh) override;

  bool GetUseSparedData() const { return GetBool("UseSparedData"); }
  void SetUseSparedData(bool v) const { PutBool("UseSparedData", v); }

 private:
  com::Ref<ConstraintsObject> constraints_;
};

}  // namespace vorlane
