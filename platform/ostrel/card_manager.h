#pragma once

#include <cstdint>
#include <string>

#include "platform/com/collection.h"
#include "platform/com/dispatch.h"

namespace ostrel {

class CardData;

// CreateCardData flags, bit values.
namespace create_flag {
// The new card is a template from the start.
inline constexpr int32_t kTemplate = 1;
}  // namespace create_flag

// The cards of the platform, as one session sees them. Card IDs and card
// type IDs are GUID texts in any letter case, braces optional.
class CardManager : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{0A763FDB-28C8-44DF-AFF5-A1FEB838240F}"};
  static const com::TypeInfo& DispatchInfo();

  // The card's data. Within one session every call for one card gives the
  // same open card (one set of rows, one update bracket). Fails with
  // err::kUnknownCard for a card that never existed and err::kCardDeleted
  // for one that was deleted.
  virtual com::Ref<CardData> GetCardData(const std::string& card_id) = 0;
  // 1 when the card exists, 0 when it does not (unknown or deleted).
  virtual int32_t GetCardStatus(const std::string& card_id) = 0;
  // A new card of the type, written at once; `flags` are create_flag bits.
  // Fails with err::kUnknownCardType for an unknown type, and with
  // err::kRefused for a single-card type whose card exists.
  virtual com::Ref<CardData> CreateCardData(const std::string& card_type_id, int32_t flags) = 0;
  // The single card of a single-card type (a dictionary, the folder card,
  // the user's settings), made with its seeded rows on first use.
  virtual com::Ref<CardData> GetDictionaryData(const std::string& card_type_id) = 0;
  // The object form of the single card of the type: the object the platform
  // offers for that type (the folder tree for the folder card), or the card
  // data itself for a type that has none.
  virtual com::Ref<com::Unknown> GetDictionaryObject(const std::string& card_type_id) = 0;
  // The object form of a card, as GetDictionaryObject for one card.
  virtual com::Ref<com::Unknown> GetCardObject(const std::string& card_id) = 0;
  // Deletes the card. `permanent` is accepted for clients of stores with a
  // recycle bin; deletion here is always permanent. Fails with err::kRefused
  // when another session holds the card's lock.
  virtual void DeleteCard(const std::string& card_id, bool permanent) = 0;
  // The cards that a search query (the text rendered by the platform's
  // search-query object) finds: a collection of CardData, one per card.
  virtual com::Ref<com::Collection> FindCards(const std::string& query) = 0;
};

}  // namespace ostrel
