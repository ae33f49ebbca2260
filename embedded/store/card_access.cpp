#include "embedded/store/card_access.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "platform/com/text.h"
#include "platform/ostrel/errors.h"

namespace embedded {
namespace {

[[noreturn]] void Fail(com::HResult code, const std::string& text) {
  throw com::Error(code, std::string(ostrel::err::kSource), text);
}

// A new row of `section` in a new card, with every field's default.
RowRecord NewRow(CardImage& image, const SectionDef& section, const com::Guid& parent, const com::Guid& id) {
  RowRecord r;
  r.id = id;
  r.section = section.id;
  r.parent = parent;
  r.seq = image.next_seq++;
  for (const FieldDef& f : section.fields) {
    if (f.new_guid) {
      r.Set(f.name, com::Variant(com::Guid::Generate().ToString()));
    } else {
      r.Set(f.name, f.default_value);
    }
  }
  return r;
}

// The seeded rows of a new card, with fresh IDs where the seed gives none.
void AddSeed(CardImage& image, const std::vector<SeedRow>& rows, const com::Guid& parent) {
  for (const SeedRow& seed : rows) {
    // Defaults first, then what the seed gives.
    RowRecord r = NewRow(image, *seed.section, parent, seed.id ? *seed.id : com::Guid::Generate());
    for (const auto& [index, value] : seed.fields) r.Set(seed.section->fields[index].name, value);
    com::Guid id = r.id;
    image.rows.emplace(id, std::move(r));
    AddSeed(image, seed.rows, id);
  }
}

std::string ScopeOf(const SessionState& session, const CardTypeDef& type) {
  return type.single == SingleCard::kAccount ? text::Lower(session.account()) : std::string();
}

}  // namespace

com::Guid ParseCardID(std::string_view text) {
  auto g = com::Guid::Parse(text);
  if (!g) Fail(ostrel::err::kUnknownCard, "\"" + std::string(text) + "\" is not a card ID");
  return *g;
}

com::Ref<OpenCard> OpenCardOf(const std::shared_ptr<SessionState>& session, const com::Guid& card) {
  if (OpenCard* open = session->FindOpen(card)) {
    if (open->deleted()) Fail(ostrel::err::kCardDeleted, "Card " + card.ToString() + " has been deleted");
    return com::Ref<OpenCard>(open);
  }
  std::optional<CardImage> image = session->Guard([&] { return session->store().storage().LoadPacked(card); });
  if (!image) Fail(ostrel::err::kUnknownCard, "Card " + card.ToString() + " does not exist");
  if (image->header.deleted) Fail(ostrel::err::kCardDeleted, "Card " + card.ToString() + " has been deleted");
  const CardTypeDef* type = session->store().schema().Find(image->header.type);
  if (!type) {
    Fail(ostrel::err::kUnknownCardType,
         "Card " + card.ToString() + " is of type " + image->header.type.ToString() + ", which this store does not define");
  }
  return OpenCard::Open(session, *type, std::move(*image));
}

CardImage NewCardImage(const SessionState& session, const CardTypeDef& type, bool is_template) {
  CardImage image;
  CardHeader& h = image.header;
  h.id = com::Guid::Generate();
  h.type = type.id;
  h.is_template = is_template;
  h.name_fixed = type.name_fixed;
  h.single = type.single != SingleCard::kNone;
  h.single_scope = ScopeOf(session, type);
  h.created = h.modified = com::Now();
  AddSeed(image, type.seed, com::Guid());
  // A card-level single-row section gets its row with the card, written with
  // it: made later, each session that first reached it would make its own.
  for (const SectionDef* s : type.top) {
    if (!s->IsSingleRow()) continue;
    bool has_row = std::any_of(image.rows.begin(), image.rows.end(),
                               [&](const auto& entry) { return entry.second.section == s->id; });
    if (!has_row) {
      RowRecord r = NewRow(image, *s, com::Guid(), com::Guid::Generate());
      com::Guid id = r.id;
      image.rows.emplace(id, std::move(r));
    }
  }
  if (type.template_section) {
    // The template field follows the flag from the start.
    const std::string& field = type.template_section->fields[type.template_field].name;
    for (auto& [id, row] : image.rows) {
      if (row.section == type.template_section->id) row.Set(field, com::Variant(int32_t{is_template ? 1 : 0}));
    }
  }
  return image;
}

com::Ref<OpenCard> CreateCardFrom(const std::shared_ptr<SessionState>& session, const CardTypeDef& type,
                                  CardImage image) {
  CardChange change;
  change.card = image.header.id;
  change.create = true;
  change.header = image.header;
  change.header->modified_by = session->account();
  // Parents go before their children.
  std::vector<const RowRecord*> rows;
  for (const auto& [id, row] : image.rows) rows.push_back(&row);
  std::sort(rows.begin(), rows.end(), [](const RowRecord* a, const RowRecord* b) { return a->seq < b->seq; });
  std::unordered_map<com::Guid, bool, com::GuidHash> placed;
  while (change.inserted.size() < rows.size()) {
    size_t before = change.inserted.size();
    for (const RowRecord* r : rows) {
      if (placed.contains(r->id)) continue;
      if (!r->parent.IsNull() && !placed.contains(r->parent)) continue;
      placed[r->id] = true;
      change.inserted.push_back(*r);
    }
    if (change.inserted.size() == before) break;  // rows without their parent stay out
  }
  ChangeSet set;
  set.cards.push_back(std::move(change));
  session->Guard([&] { session->store().storage().Write(std::move(set), session->writer()); });
  return OpenCard::Open(session, type, std::move(image));
}

com::Ref<OpenCard> SingleCardOf(const std::shared_ptr<SessionState>& session, const CardTypeDef& type) {
  if (type.single == SingleCard::kNone) {
    session->Raise(ostrel::err::kRefused, "Card type " + type.id_text + " (" + type.display_name +
                                              ") has no single card: it holds any number of cards.");
  }
  Storage& storage = session->store().storage();
  const std::string scope = ScopeOf(*session, type);
  std::lock_guard lock(session->store().single_card_mutex());
  for (int attempt = 0;; ++attempt) {
    if (auto id = session->Guard([&] { return storage.FindSingle(type.id, scope); })) {
      return OpenCardOf(session, *id);
    }
    try {
      return CreateCardFrom(session, type, NewCardImage(*session, type, false));
    } catch (const com::Error& e) {
      // Another process made the card between the look-up and the write:
      // take that one.
      if (e.code() != ostrel::err::kRefused || attempt > 0) throw;
    }
  }
}

void DeleteCardOf(const std::shared_ptr<SessionState>& session, const com::Guid& card) {
  ChangeSet set;
  set.deleted.push_back(card);
  session->Guard([&] { session->store().storage().Write(std::move(set), session->writer()); });
  session->store().MarkDeleted(card);
  if (OpenCard* open = session->FindOpen(card)) session->Unpin(open);
}

}  // namespace embedded
