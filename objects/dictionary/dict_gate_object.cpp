// A gate type of the dictionary, with the row of its definition.
#include "objects/dictionary/dict_gate_object.h"
#include "platform/com/describe.h"

namespace vorlane {
namespace {

// Under a gate-type row: the one row of its definition.
constexpr char kGateDefinition[] = "{533458CF-0700-42DB-8A4F-A0EE02F4B41F}";

}  // namespace

bool DictGateObject::AddGateInNewProcess() {
  // The field taken as a condition: an empty field is not a true value.
  com::Variant v = Get("AddGateInNewProcess");
  if (v.IsNull() || v.IsEmpty()) return false;
  return v.ToBool();
}

ostrel::Row& DictGateObject::GetDefinitionRow() {
  if (!definition_row_) definition_row_ = SubRow(kGateDefinition);
  return *definition_row_;
}

const com::TypeInfo& DictGate::DispatchInfo() {
  using G = DictGate;
  static const com::TypeInfo info =
      com::Describe<G>("_DictGate")
          .Get("ID", &G::ID)
          .GetLet("Name", &G::Name, &G::SetName)
          .GetLet("Class", &G::Class, &G::SetClass)
          .GetLet("Assembly", &G::Assembly, &G::SetAssembly)
          .GetLet("UIClass", &G::UIClass, &G::SetUIClass)
          .GetLet("DefaultSettings", &G::DefaultSettings, &G::SetDefaultSettings)
          .GetLet("AddGateInNewProcess", &G::AddGateInNewProcess, &G::SetAddGateInNewProcess)
          .Get("Definition", &G::Definition)
          .Method("Refresh", &G::Refresh, {com::Optional("DeepRefresh", false)})
          .Build();
  return info;
}

}  // namespace vorlane
