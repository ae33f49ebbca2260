#pragma once

#include "objects/core/row_wrapper.h"
#include "vorlane/gate.h"

namespace vorlane {

class GateObject final : public com::Object<Gate>, public RowWrapper {
 public:
  std::string ID() override { return GetStrictID("ID"); }
  std::string Caption() override { return GetText("Caption"); }
  void SetCaption(const std::string& v) override { PutText("Caption", v); }
  std::string Description() override { return GetText("Description"); }
  void SetDescription(const std::string& v) override { PutText("Description", v); }
  std::string TypeID() override { return GetLooseID("TypeID"); }
  void SetTypeID(const std::string& v) override { PutText("TypeID", v); }
  std::string Data() override { return GetText("Data"); }
  void SetData(const std::string& v) override { PutText("Data", v); }
  void Refresh(bool /*deep_refresh: not used*/) override { row().Refresh(false); }
};

}  // namespace vorlane
