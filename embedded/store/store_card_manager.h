#pragma once

#include <memory>

#include "embedded/store/session_state.h"
#include "platform/ostrel/card_manager.h"

namespace embedded {

class StoreCardManager final : public com::Object<ostrel::CardManager> {
 public:
  explicit StoreCardManager(std::shared_ptr<SessionState> state) : state_(std::move(state)) {}

  com::Ref<ostrel::CardData> GetCardData(const std::string& card_id) override;
  int32_t GetCardStatus(const std::string& card_id) override;
  com::Ref<ostrel::CardData> CreateCardData(const std::string& card_type_id, int32_t flags) override;
  com::Ref<ostrel::CardData> GetDictionaryData(const std::string& card_type_id) override;
  com::Ref<com::Unknown> GetDictionaryObject(const std::string& card_type_id) override;
  com::Ref<com::Unknown> GetCardObject(const std::string& card_id) override;
  void DeleteCard(const std::string& card_id, bool permanent) override;
  com::Ref<com::Collection> FindCards(const std::string& query) override;

 private:
  const CardTypeDef& TypeOf(const std::string& card_type_id);
  com::Ref<com::Unknown> ObjectOf(const com::Ref<ostrel::CardData>& card, const CardTypeDef& type);

  std::shared_ptr<SessionState> state_;
};

}  // namespace embedded
