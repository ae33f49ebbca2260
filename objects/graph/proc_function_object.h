#pragma once

#include "objects/core/row_wrapper.h"
#include "objects/graph/pass_states_object.h"
#include "vorlane/proc_function.h"

namespace vorlane {

class ProcFunctionObject final : public com::Object<ProcFunction>, public RowWrapper {
 public:
  std::string ID() override { return GetStrictID("ID"); }
  std::string Caption() override { return GetText("Caption"); }
  void SetCaption(const std::string& v) override { PutText("Caption", v); }
  std::string Description() override { return GetText("Description"); }
  void SetDescription(const std::string& v) override { PutText("Description", v); }
  std::string TypeID() override { return GetLooseID("TypeID"); }
  void SetTypeID(const std::string& v) override { PutText("TypeID", v); }
  std::string CardID() override { return GetText("CardID"); }
  void SetCardID(const std::string& v) override { PutText("CardID", v); }
  std::string WeakCardID() override { return GetText("WeakCardID"); }
  void SetWeakCardID(const std::string& v) override { PutText("WeakCardID", v); }
  std::string ErrDescriptionVarID() override { return GetText("ErrDescriptionVarID"); }
  void SetErrDescriptionVarID(const std::string& v) override { PutText("ErrDescriptionVarID", v); }
  std::string ErrCodeVarID() override { return GetText("ErrCodeVarID"); }
  void SetErrCodeVarID(const std::string& v) override { PutText("ErrCodeVarID", v); }
  std::string Data() override;
  void SetData(const std::string& value) override;
  float XPos() override { return FieldToSingle(Get("XPos")); }
  void SetXPos(float v) override { Put("XPos", com::Variant(v)); }
  float YPos() override { return FieldToSingle(Get("YPos")); }
  void SetYPos(float v) override { Put("YPos", com::Variant(v)); }
  int16_t Width() override { return GetLowWord("Width"); }
  void SetWidth(int16_t v) override { PutShort("Width", v); }
  int16_t Height() override { return GetLowWord("Height"); }
  void SetHeight(int16_t v) override { PutShort("Height", v); }
  int32_t PoolingInterval() override { return GetLong("PoolingInterval"); }
  void SetPoolingInterval(int32_t v) override { PutLong("PoolingInterval", v); }
  bool ReuseStep() override { return GetBool("ReuseStep"); }
  void SetReuseStep(bool v) override { PutBool("ReuseStep", v); }
  com::Ref<PassStates> States() override { return StatesObject(); }
  void Refresh(bool deep_refresh) override;

  bool GetUseSparedData() const { return GetBool("UseSparedData"); }
  void SetUseSparedData(bool v) const { PutBool("UseSparedData", v); }
  // Gives `data` to every pass state and clears their error and warning flags.
  void PropagateData(const std::string& data);

 private:
  com::Ref<PassStatesObject> StatesObject();

  com::Ref<PassStatesObject> states_;
};

}  // namespace vorlane
