#pragma once

#include "objects/core/row_wrapper.h"
#include "vorlane/dict_gate.h"

namespace vorlane {

class DictGateObject final : public com::Object<DictGate>, public RowWrapper {
 public:
  std::string ID() override { return GetStrictID("ID"); }
  std::string Name() override { return GetText("Name"); }
  void SetName(const std::string& v) override { PutText("Name", v); }
  std::string Class() override { return GetText("ServerClass"); }
  void SetClass(const std::string& v) override { PutText("ServerClass", v); }
  std::string Assembly() override { return GetText("ServerAssembly"); }
  void SetAssembly(const std::string& v) override { PutText("ServerAssembly", v); }
  std::string UIClass() override { return GetText("UIClass"); }
  void SetUIClass(const std::string& v) override { PutText("UIClass", v); }
  std::string DefaultSettings() override { return GetText("DefaultSettings"); }
  void SetDefaultSettings(const std::string& v) override { PutText("DefaultSettings", v); }
  bool AddGateInNewProcess() override;
  void SetAddGateInNewProcess(bool v) override { PutBool("AddGateInNewProcess", v); }
  std::string Definition() override { return FieldToString(GetDefinitionRow().GetField("Definition")); }
  // Re-reads the card; the definition row stays cached, as a row object
  // outlives a refresh of its card.
  void Refresh(bool /*deep_refresh: not used*/) override { row().Refresh(false); }

  // The single row of the type's definition sub-section, found once.
  ostrel::Row& GetDefinitionRow();

 private:
  com::Ref<ostrel::Row> definition_row_;
};

}  // namespace vorlane
