#include "embedded/store/store_card_manager.h"

#include "embedded/store/card_access.h"
#include "platform/com/collection.h"
#include "platform/ostrel/errors.h"

namespace embedded {

const CardTypeDef& StoreCardManager::TypeOf(const std::string& card_type_id) {
  auto id = com::Guid::Parse(card_type_id);
  const CardTypeDef* type = id ? state_->store().schema().Find(*id) : nullptr;
  if (!type) {
    throw com::Error(ostrel::err::kUnknownCardType, std::string(ostrel::err::kSource),
                     "No card type \"" + card_type_id + "\" is defined");
  }
  return *type;
}

com::Ref<ostrel::CardData> StoreCardManager::GetCardData(const std::string& card_id) {
  state_->Use();
  return OpenCardOf(state_, ParseCardID(card_id));
}

int32_t StoreCardManager::GetCardStatus(const std::string& card_id) {
  state_->Use();
  auto id = com::Guid::Parse(card_id);
  if (!id) return 0;
  if (OpenCard* open = state_->FindOpen(*id); open && open->deleted()) return 0;
  Storage::Status status = state_->Guard([&] { return state_->store().storage().GetStatus(*id); });
  return status == Storage::Status::kExists ? 1 : 0;
}

com::Ref<ostrel::CardData> StoreCardManager::CreateCardData(const std::string& card_type_id, int32_t flags) {
  state_->Use();
  const CardTypeDef& type = TypeOf(card_type_id);
  const bool is_template = flags & ostrel::create_flag::kTemplate;
  if (type.single == SingleCard::kNone) return CreateCardFrom(state_, type, NewCardImage(*state_, type, is_template));
  CardImage image = NewCardImage(*state_, type, is_template);
  std::lock_guard lock(state_->store().single_card_mutex());
  if (state_->Guard([&] { return state_->store().storage().FindSingle(type.id, image.header.single_scope); })) {
    state_->Raise(ostrel::err::kRefused, "The card of type " + type.display_name +
                                             " exists already: the type has a single card (GetDictionaryData).");
  }
  return CreateCardFrom(state_, type, std::move(image));
}

com::Ref<ostrel::CardData> StoreCardManager::GetDictionaryData(const std::string& card_type_id) {
  state_->Use();
  return SingleCardOf(state_, TypeOf(card_type_id));
}

com::Ref<com::Unknown> StoreCardManager::ObjectOf(const com::Ref<ostrel::CardData>& card, const CardTypeDef& type) {
  if (auto factory = state_->store().CardObjectFor(type.id)) {
    return factory(com::Ref<ostrel::CardManager>(this), card);
  }
  return com::Ref<com::Unknown>(static_cast<com::Unknown*>(card.get()));
}

com::Ref<com::Unknown> StoreCardManager::GetDictionaryObject(const std::string& card_type_id) {
  state_->Use();
  const CardTypeDef& type = TypeOf(card_type_id);
  return ObjectOf(SingleCardOf(state_, type), type);
}

com::Ref<com::Unknown> StoreCardManager::GetCardObject(const std::string& card_id) {
  state_->Use();
  com::Ref<OpenCard> card = OpenCardOf(state_, ParseCardID(card_id));
  return ObjectOf(card, card->type());
}

void StoreCardManager::DeleteCard(const std::string& card_id, bool /*permanent: always*/) {
  state_->Use();
  DeleteCardOf(state_, ParseCardID(card_id));
}

com::Ref<com::Collection> StoreCardManager::FindCards(const std::string& query) {
  state_->Use();
  std::shared_ptr<SearchEngine> engine = state_->store().search_engine();
  if (!engine) state_->Raise(ostrel::err::kServiceUnavailable, "The search service is not attached to this store.");
  auto found = com::Make<com::KeyedList>();
  for (const com::Guid& id : engine->Find(state_->store(), query)) {
    com::Ref<OpenCard> card = OpenCardOf(state_, id);
    found->Add(com::Variant(com::Ref<ostrel::CardData>(card)), card->id_text());
  }
  return found;
}

}  // namespace embedded
