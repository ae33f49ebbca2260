#pragma once

#include "objects/dictionary/dict_functions_object.h"
#include "objects/dictionary/dict_gates_object.h"
#include "platform/ostrel/session.h"
#include "vorlane/dictionary.h"

namespace vorlane {

class DictionaryObject final : public com::Object<Dictionary> {
 public:
  // The session whose dictionary cards the lists read.
  void Attach(com::Ref<ostrel::Session> session) { session_ = std::move(session); }

  com::Ref<DictFunctions> Functions() override;
  com::Ref<DictGates> Gates() override;
  void Refresh(bool /*deep_refresh: not used*/) override;

 private:
  // The card data of the single card of a dictionary card type.
  com::Ref<ostrel::CardData> DictionaryCard(const char* card_type);

  com::Ref<ostrel::Session> session_;
  com::Ref<DictFunctionsObject> functions_;
  com::Ref<DictGatesObject> gates_;
};

}  // namespace vorlane
