// The dictionary of function and gate types, over the platform's two
// dictionary cards.
#include "objects/dictionary/dictionary_object.h"
#include "platform/com/describe.h"
#include "objects/core/describe_list.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/card_types.h"

namespace vorlane {
namespace {

// The single card of each dictionary type, and the section of its types.
constexpr const char* kFunctionTypesCard = ostrel::card_type::kFunctionTypes;
constexpr char kFunctionTypesSection[] = "{a5489822-1a9c-4cbe-8468-23de99c843c4}";
constexpr const char* kGateTypesCard = ostrel::card_type::kGateTypes;
constexpr char kGateTypesSection[] = "{42b598d5-b3f4-4349-b0e8-874edb737abe}";
// Under a gate-type row: the one row of its definition.
constexpr char kGateDefinition[] = "{533458CF-0700-42DB-8A4F-A0EE02F4B41F}";

// Reading a dictionary never fails, and a list whose card could not be
// opened lists nothing.
constexpr RowListRules kDictionaryRules{
    .key = KeyBy::ID, .on_error = OnLoadError::Skip, .sort_field = {}, .unattached_reads_empty = true};

}  // namespace

DictFunctionsObject::DictFunctionsObject() : RowListCollection(kDictionaryRules) {}
DictGatesObject::DictGatesObject() : RowListCollection(kDictionaryRules) {}

com::Ref<ostrel::CardData> DictionaryObject::DictionaryCard(const char* card_type) {
  if (!session_) throw com::Error(com::hr::kObjectNotSet);
  return session_->GetCardManager()->GetDictionaryData(card_type);
}

com::Ref<DictFunctions> DictionaryObject::Functions() {
  if (!functions_) {
    // Stored before the card is opened: when it cannot be, the request
    // fails and later ones get this list, unattached, listing nothing.
    functions_ = com::Make<DictFunctionsObject>();
    functions_->Attach(RowContainer::OfCard(DictionaryCard(kFunctionTypesCard), kFunctionTypesSection));
  }
  return functions_;
}

com::Ref<DictGates> DictionaryObject::Gates() {
  if (!gates_) {
    // Stored first, as Functions.
    gates_ = com::Make<DictGatesObject>();
    gates_->Attach(RowContainer::OfCard(DictionaryCard(kGateTypesCard), kGateTypesSection));
  }
  return gates_;
}

void DictionaryObject::Refresh(bool) {
  functions_.reset();
  gates_.reset();
}

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

const com::TypeInfo& Dictionary::DispatchInfo() {
  using D = Dictionary;
  static const com::TypeInfo info = com::Describe<D>("_Dictionary")
                                        .Get("Functions", &D::Functions)
                                        .Get("Gates", &D::Gates)
                                        .Method("Refresh", &D::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
}

const com::TypeInfo& DictFunctions::DispatchInfo() {
  using L = DictFunctions;
  static const com::TypeInfo info = DescribeList<L>("_DictFunctions")
                                        .Method("Refresh", &L::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
}

const com::TypeInfo& DictGates::DispatchInfo() {
  using L = DictGates;
  static const com::TypeInfo info = DescribeList<L>("_DictGates")
                                        .Method("Refresh", &L::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
}

const com::TypeInfo& DictFunction::DispatchInfo() {
  using F = DictFunction;
  static const com::TypeInfo info =
      com::Describe<F>("_DictFunction")
          .Get("ID", &F::ID)
          .GetLet("Name", &F::Name, &F::SetName)
          .GetLet("Class", &F::Class, &F::SetClass)
          .GetLet("Assembly", &F::Assembly, &F::SetAssembly)
          .GetLet("UIClass", &F::UIClass, &F::SetUIClass)
          .GetLet("IsStart", &F::IsStart, &F::SetIsStart)
          .GetLet("IsStop", &F::IsStop, &F::SetIsStop)
          .GetLet("PoolingInterval", &F::PoolingInterval, &F::SetPoolingInterval)
          .GetLet("Obsolete", &F::Obsolete, &F::SetObsolete)
          .Method("Refresh", &F::Refresh, {com::Optional("DeepRefresh", false)})
          .Build();
  return info;
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
