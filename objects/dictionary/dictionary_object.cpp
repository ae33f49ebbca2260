// The dictionary of function and gate types, over the platform's two
// dictionary cards.
#include "objects/dictionary/dictionary_object.h"
#include "platform/com/describe.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/card_types.h"

namespace vorlane {
namespace {

// The single card of each dictionary type, and the section of its types.
constexpr const char* kFunctionTypesCard = ostrel::card_type::kFunctionTypes;
constexpr char kFunctionTypesSection[] = "{a5489822-1a9c-4cbe-8468-23de99c843c4}";
constexpr const char* kGateTypesCard = ostrel::card_type::kGateTypes;
constexpr char kGateTypesSection[] = "{42b598d5-b3f4-4349-b0e8-874edb737abe}";

}  // namespace

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

const com::TypeInfo& Dictionary::DispatchInfo() {
  using D = Dictionary;
  static const com::TypeInfo info = com::Describe<D>("_Dictionary")
                                        .Get("Functions", &D::Functions)
                                        .Get("Gates", &D::Gates)
                                        .Method("Refresh", &D::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
}

}  // namespace vorlane
