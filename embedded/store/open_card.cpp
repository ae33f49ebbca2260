#include "embedded/store/open_card.h"

#include "embedded/store/card_access.h"
#include "embedded/store/card_sections.h"
#include "embedded/store/card_xml.h"
#include "embedded/store/schema_objects.h"
#include "platform/com/text.h"
#include "platform/ostrel/errors.h"
#include "platform/ostrel/field_type_codes.h"
#include "platform/ostrel/section.h"

namespace embedded {
namespace {

std::string Quote(std::string_view s) { return "\"" + std::string(s) + "\""; }

}  // namespace

com::Ref<OpenCard> OpenCard::Open(std::shared_ptr<SessionState> session, const CardTypeDef& type, CardImage image) {
  com::Ref<OpenCard> card = com::Ref<OpenCard>::Adopt(new OpenCard(std::move(session), type, std::move(image)));
  card->session_->Register(card.get());
  return card;
}

OpenCard::OpenCard(std::shared_ptr<SessionState> session, const CardTypeDef& type, CardImage image)
    : session_(std::move(session)),
      schema_(session_->store().schema_ptr()),
      type_(type),
      id_(image.header.id),
      id_text_(image.header.id.ToString()),
      shared_(session_->store().Shared(image.header.id)),
      copy_(type) {
  copy_.Load(std::move(image), false);
}

OpenCard::~OpenCard() { session_->Unregister(this); }

void OpenCard::Deleted() const {
  throw com::Error(ostrel::err::kCardDeleted, std::string(ostrel::err::kSource),
                   "Card " + id_text_ + " has been deleted");
}

// ---- writing -----------------------------------------------------------------

void OpenCard::Flush(bool undo_on_failure) {
  if (!copy_.HasChanges()) return;
  Storage& storage = session_->store().storage();
  const com::Date now = com::Now();

  // Row timestamps: every row this write touches gets the next value of the
  // store's write sequence.
  struct Stamp {
    std::shared_ptr<RowNode> node;
    size_t field;
    com::Variant value;
  };
  std::vector<Stamp> stamps;
  auto stamp_of = [&](const com::Guid& row) -> const Stamp* {
    auto node = copy_.Find(row);
    if (!node || node->section->timestamp_field < 0) return nullptr;
    int64_t seq = storage.NextSequence();
    // The field is a 32-bit integer: the sequence wraps past its range.
    stamps.push_back({node, static_cast<size_t>(node->section->timestamp_field),
                      com::Variant(static_cast<int32_t>(seq & 0x7FFFFFFF))});
    return &stamps.back();
  };
  try {
    CardChange change = copy_.PendingChange();
    change.header->modified = now;
    change.header->modified_by = session_->account();
    change.holds_lock = holds_lock_;
    const SectionDef* section = nullptr;
    for (RowRecord& r : change.inserted) {
      if (!section || section->id != r.section) section = type_.Section(r.section);
      if (!section || section->timestamp_field < 0) continue;
      if (const Stamp* s = stamp_of(r.id)) r.Set(s->node->section->fields[s->field].name, s->value);
    }
    std::vector<com::Guid> touched;
    for (const FieldUpdate& u : change.updated) {
      if (touched.empty() || touched.back() != u.row) touched.push_back(u.row);
    }
    for (const com::Guid& row : touched) {
      if (const Stamp* s = stamp_of(row)) change.updated.push_back({row, s->node->section->fields[s->field].name, s->value});
    }
    ChangeSet set;
    set.cards.push_back(std::move(change));
    storage.Write(std::move(set), session_->writer());
  } catch (const com::Error& e) {
    if (e.code() == ostrel::err::kCardDeleted) {
      session_->store().MarkDeleted(id_);
    } else if (e.code() == ostrel::err::kRefused || e.code() == ostrel::err::kConflict ||
               e.code() == ostrel::err::kStorageFailure) {
      session_->SetLastError(e.description());
      if (undo_on_failure) {
        try {
          Reload(false);
        } catch (const com::Error&) {
          // The write's own failure is what the caller is told; a failure
          // to re-read as well leaves the unwritten change in view.
        }
      }
    }
    throw;
  }
  copy_.ClearLog();
  copy_.SetModified(now);
  for (Stamp& s : stamps) {
    if (!s.node->deleted) copy_.Stamp(*s.node, s.field, s.value);
  }
}

void OpenCard::Reload(bool keep_edits) {
  std::optional<CardImage> image = session_->Guard([&] { return session_->store().storage().LoadPacked(id_); });
  if (!image || image->header.deleted) {
    session_->store().MarkDeleted(id_);
    Deleted();
  }
  copy_.Load(std::move(*image), keep_edits);
}

bool OpenCard::Current() {
  if (copy_.HasChanges()) return false;
  return session_->Guard([&] { return session_->store().storage().Writes(id_); }) == copy_.loaded_writes();
}

// ---- CardData ------------------------------------------------------------------

std::string OpenCard::GetID() { return id_text_; }

com::Ref<ostrel::CardType> OpenCard::GetCardType() {
  Enter();
  return com::Make<SchemaCardType>(schema_, type_);
}

std::string OpenCard::GetDescription() {
  Enter();
  return copy_.header().description;
}

void OpenCard::SetDescription(const std::string& value) {
  Enter();
  if (copy_.header().description == value) return;
  copy_.EditHeader(kHeaderDescription).description = value;
  Changed();
}

bool OpenCard::GetIsTemplate() {
  Enter();
  return copy_.header().is_template;
}

void OpenCard::SetIsTemplate(bool value) {
  Enter();
  copy_.SetTemplate(value);
  Changed();
}

com::Date OpenCard::GetDateCreated() {
  Enter();
  return copy_.header().created;
}

com::Date OpenCard::GetDateModified() {
  Enter();
  return copy_.header().modified;
}

std::string OpenCard::GetCardName() {
  Enter();
  return copy_.header().name;
}

bool OpenCard::GetNameFixed() {
  Enter();
  return copy_.header().name_fixed;
}

void OpenCard::SetCardName(const std::string& name) {
  Enter();
  if (copy_.header().name_fixed) {
    session_->Raise(ostrel::err::kRefused, "The name of card " + id_text_ + " is fixed by the platform.");
  }
  if (copy_.header().name == name) return;
  copy_.EditHeader(kHeaderName).name = name;
  Changed();
}

std::string OpenCard::GetOwnerProcess() {
  Enter();
  return copy_.header().owner_process;
}

void OpenCard::SetOwnerProcess(const std::string& process_id) {
  Enter();
  if (copy_.header().owner_process == process_id) return;
  copy_.EditHeader(kHeaderOwner).owner_process = process_id;
  Changed();
}

com::Ref<ostrel::CardData> OpenCard::CopyCard() {
  Enter();
  if (type_.single != SingleCard::kNone) {
    session_->Raise(ostrel::err::kRefused,
                    "Card " + id_text_ + " is the single card of its type and cannot be copied.");
  }
  CardImage image = copy_.Image(true);
  CardHeader& h = image.header;
  h.id = com::Guid::Generate();
  h.created = h.modified = com::Now();
  h.deleted = false;
  return CreateCardFrom(session_, type_, std::move(image));
}

com::Ref<ostrel::SectionCollection> OpenCard::GetSections() {
  Enter();
  return com::Make<CardSections>(com::Ref<OpenCard>(this));
}

std::string OpenCard::GetXML(bool follow_links) {
  Enter();
  return CardXml(*this, follow_links);
}

void OpenCard::Refresh(bool /*deep: a refresh is always deep*/) {
  Enter();
  // A card that nobody wrote since it was read is not read again: a host
  // that refreshes on a timer pays for a change, not for the card's size.
  if (Current()) return;
  Reload(depth_ > 0);
}

// ---- CardLock ------------------------------------------------------------------

int32_t OpenCard::GetLockStatus() {
  Enter();
  auto holder = session_->Guard([&] { return session_->store().storage().GetLock(id_); });
  if (!holder) return ostrel::lock_status::kFree;
  if (holder->session == session_->id()) return ostrel::lock_status::kThisSession;
  if (text::EqualNoCase(holder->account, session_->account())) return ostrel::lock_status::kSameAccount;
  return ostrel::lock_status::kOtherAccount;
}

std::string OpenCard::GetLockOwner() {
  Enter();
  auto holder = session_->Guard([&] { return session_->store().storage().GetLock(id_); });
  return holder ? holder->account : std::string();
}

void OpenCard::Lock(bool /*global: accepted, no effect*/) {
  Enter();
  auto other = session_->Guard([&] {
    return session_->store().storage().TryLock(id_, Storage::LockHolder{session_->id(), session_->account()});
  });
  if (other) {
    session_->Raise(ostrel::err::kRefused, "The card " + id_text_ + " is locked by " + other->account + ".");
  }
  holds_lock_ = true;
  // The holder starts from the stored state, so that what it changes next
  // is made over the latest writes; unsaved edits stay as they are (their
  // writes are checked against what they were made over).
  if (!copy_.HasChanges() && !Current()) Reload(false);
}

void OpenCard::Unlock() {
  Enter();
  session_->Guard([&] { session_->store().storage().Unlock(id_, session_->id()); });
  holds_lock_ = false;
}

// ---- CardUpdate ----------------------------------------------------------------

void OpenCard::BeginUpdate() {
  Enter();
  if (depth_++ == 0) session_->Pin(this);
}

void OpenCard::EndUpdate() {
  session_->Use();
  if (deleted()) {
    // The card went while the bracket was open: the bracket ends with it.
    com::Ref<OpenCard> self(this);
    if (depth_ > 0) {
      depth_ = 0;
      marks_.clear();
      session_->Unpin(this);
    }
    Deleted();
  }
  if (depth_ == 0) return;
  if (depth_ > 1) {
    --depth_;
    return;
  }
  // A failed write keeps the bracket open, so that nothing is lost.
  Flush(false);
  depth_ = 0;
  marks_.clear();
  session_->Unpin(this);
}

void OpenCard::CancelUpdate() {
  session_->Use();
  if (depth_ == 0) return;
  com::Ref<OpenCard> self(this);  // the pin may be the last holder
  depth_ = 0;
  std::vector<com::Guid> marks = std::move(marks_);
  marks_.clear();
  session_->Unpin(this);
  std::optional<com::Error> first;
  if (!deleted()) {
    try {
      Reload(false);
    } catch (const com::Error& e) {
      first = e;
    }
  }
  for (const com::Guid& card : marks) {
    try {
      DeleteCardOf(session_, card);
    } catch (const com::Error& e) {
      // A marked card that is already gone is what cancelling wants; any
      // other failure is reported once every mark has been tried.
      if (e.code() != ostrel::err::kCardDeleted && e.code() != ostrel::err::kUnknownCard && !first) first = e;
    }
  }
  if (first) throw *first;
}

void OpenCard::UpdateNow() {
  Enter();
  Flush(false);
  marks_.clear();
}

void OpenCard::MarkCardForDeletion(const std::string& card_id) {
  Enter();
  com::Guid card = ParseCardID(card_id);
  if (depth_ > 0) marks_.push_back(card);
}

// ---- fields ----------------------------------------------------------------------

int32_t OpenCard::SectionMode(const SectionDef& s) const {
  auto it = modes_.find(&s);
  return it == modes_.end() ? ostrel::row_selection::kRootRowsOnly : it->second;
}

namespace {

[[noreturn, gnu::noinline, gnu::cold]] void NoField(const SectionDef& s, std::string_view name) {
  throw com::Error(ostrel::err::kUnknownSchemaItem, std::string(ostrel::err::kSource),
                   "Section " + Quote(s.name) + " has no field " + Quote(name));
}

}  // namespace

size_t OpenCard::FieldIndex(const SectionDef& s, std::string_view name) const {
  if (auto i = s.FieldIndex(name)) return *i;
  NoField(s, name);
}

void OpenCard::SetConverted(RowNode& node, size_t index, com::Variant&& value) {
  const SectionDef& s = *node.section;
  const FieldDef& f = s.fields[index];
  if (f.flags & ostrel::field_flag::kRowTimestamp) {
    session_->Raise(ostrel::err::kRefused, "Field " + Quote(f.name) + " of section " + Quote(s.name) +
                                               " is kept by the platform and cannot be set.");
  }
  // A value the field takes as it is moves in as it is; any other is
  // converted first.
  if (!ostrel::HoldsFieldType(value, f.type_code)) {
    try {
      value = ostrel::ConvertToFieldType(value, f.code);
    } catch (const com::Error& e) {
      std::string what = value.IsText() ? Quote(*value.TryText()) : std::string(com::TypeName(value.type()));
      throw com::Error(e.code(), std::string(ostrel::err::kSource),
                       std::string(e.description()) + ": field " + Quote(f.name) + " of section " + Quote(s.name) +
                           " (" + std::string(ostrel::FindFieldTypeCode(f.code)->name) + ") cannot take " + what);
    }
  }
  // Nothing stored may be text that an export could not write.
  if (const std::string* text = value.TryText()) {
    if (const size_t bad = text::FindNonXmlText(*text); bad != std::string::npos) {
      throw com::Error(com::hr::kInvalidArg, std::string(ostrel::err::kSource),
                       "Field " + Quote(f.name) + " of section " + Quote(s.name) + " cannot take text with " +
                           text::DescribeNonXmlText(*text, bad) + ": a process document could not carry it");
    }
  }
  if (copy_.SetField(node, index, std::move(value))) Changed();
}

}  // namespace embedded
