#pragma once

#include <memory>
#include <string_view>

#include "embedded/store/open_card.h"

// Opening, making and deleting cards for a session: what the card manager
// does, and what open cards need of it (a copy, linked cards, marked cards).
namespace embedded {

// The card ID of a text in any letter case, braces optional; fails with
// ostrel::err::kUnknownCard when it is not a GUID.
com::Guid ParseCardID(std::string_view text);
// The session's open card of that ID, opened now when it is not open yet.
// Fails with kUnknownCard, kCardDeleted, or kUnknownCardType for a card of
// a type the store does not define.
com::Ref<OpenCard> OpenCardOf(const std::shared_ptr<SessionState>& session, const com::Guid& card);
// Writes `image` as a new card (its rows, header and ID as given) and opens it.
com::Ref<OpenCard> CreateCardFrom(const std::shared_ptr<SessionState>& session, const CardTypeDef& type,
                                  CardImage image);
// A new card of the type with its seeded rows, not yet written.
CardImage NewCardImage(const SessionState& session, const CardTypeDef& type, bool is_template);
// The single card of the type, made on first use.
com::Ref<OpenCard> SingleCardOf(const std::shared_ptr<SessionState>& session, const CardTypeDef& type);
// Deletes the card: kRefused when another session holds its lock.
void DeleteCardOf(const std::shared_ptr<SessionState>& session, const com::Guid& card);

}  // namespace embedded
