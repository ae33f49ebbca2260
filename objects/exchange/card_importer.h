#pragma once

#include <pugixml.hpp>

#include <functional>
#include <memory>
#include <string>

#include "objects/exchange/id_map.h"
#include "objects/exchange/import_schema.h"
#include "platform/com/collection.h"
#include "platform/ostrel/card_data.h"
#include "platform/ostrel/card_update.h"
#include "platform/ostrel/row.h"
#include "platform/ostrel/row_collection.h"
#include "platform/ostrel/section_type.h"
#include "platform/ostrel/session.h"

namespace vorlane {

// Runs `body` inside an update bracket of `update`. When none is open, one
// is begun for it, ended when `body` is done and cancelled when it fails,
// so that the card and the store are left as they were (a failure to cancel
// is swallowed: the failure that stopped `body` is the one reported). A
// bracket the caller opened is the caller's to end or cancel.
template <class Body>
void WithinBracket(ostrel::CardUpdate& update, Body body) {
  const bool own = !update.GetInUpdate();
  if (own) update.BeginUpdate();
  try {
    body();
    if (own) update.EndUpdate();
  } catch (...) {
    if (own) {
      try {
        update.CancelUpdate();
      } catch (const com::Error&) {
        // Swallowed, as said above.
      }
    }
    throw;
  }
}

// cCardImporter: writes the platform's XML form of a card into card data of
// the platform, for any card type: it walks the card type's schema and, for
// each section, the element of the same name. Every row it adds gets a new
// ID; the ID map records, under each ID the XML gives (card IDs and row IDs,
// normalised), the ID of the card or row made for it, and references are
// rewritten through it. Card data embedded in card-reference fields becomes
// new cards, marked for deletion on MainUpdatable so that cancelling that
// card's update bracket takes them away again.
//
// One importer serves one import; the ID map and the lists of created cards
// grow during the run. The import consumes its document: the element of
// each row of a list goes from the document once the row is made, so that
// its memory serves the rows still to come. Internal to the library.
class CardImporter {
 public:
  CardImporter();

  // The folder the caller chose for the import; kept for the cards the
  // import makes (the caller files them, from its list of created cards).
  const std::string& FolderID() const { return folder_id_; }
  void SetFolderID(std::string value) { folder_id_ = std::move(value); }
  // The update bracket of the card the import started on.
  const com::Ref<ostrel::CardUpdate>& MainUpdatable() const { return main_updatable_; }
  void SetMainUpdatable(com::Ref<ostrel::CardUpdate> value) { main_updatable_ = std::move(value); }
  const com::Ref<ostrel::Session>& Session() const { return session_; }
  void SetSession(com::Ref<ostrel::Session> value) { session_ = std::move(value); }

  // Called after each row the importer adds to the section (or sub-section)
  // type `section_id`, in any card of the run: how a caller follows the
  // progress of a long import. One hook at a time.
  void SetRowHook(const std::string& section_id, std::function<void()> hook);

  // Replaces the content of `target` (its log section excepted) by the card
  // element `card`. When the card is not in an update bracket, the import
  // brackets it and cancels the bracket on failure, so that the card and
  // the store are left as they were; a bracket the caller opened is left to
  // the caller. Fails with the platform's, the conversion's or the ID map's
  // error; a value that does not convert and a repeated row ID name their
  // element and attribute in the description.
  void ImportCard(com::Ref<ostrel::Session> session, ostrel::CardData& target, pugi::xml_node card,
                  IdMap& id_map, com::Collection& created, const com::KeyedList* skipped_types);
  // Makes a card of the element's "CardTypeID", imports the element into it
  // and returns its ID; the ID goes to `created` and to the ID map. A card
  // of a single-card type (a dictionary, the user's settings, the folder
  // card) is refused with 0x80040751.
  std::string ImportIntoNewCard(com::Ref<ostrel::Session> session, pugi::xml_node card, IdMap& id_map,
                                com::Collection& created, const com::KeyedList* skipped_types);
  // Adds the rows of the section element to `rows`, keeping the rows there
  // are. Opens no bracket: the caller brackets the card.
  void ImportSection(com::Ref<ostrel::Session> session, ostrel::RowCollection& rows, ostrel::SectionType& type,
                     pugi::xml_node section, IdMap& id_map, com::Collection& created,
                     const com::KeyedList* skipped_types);

 private:
  struct Run {
    IdMap& ids;
    com::Collection& created;
    const com::KeyedList* skipped;
  };

  void ImportCardOf(ostrel::CardData& target, pugi::xml_node card, Run& run);
  std::string NewCardOf(pugi::xml_node card, Run& run);
  void ImportRows(ostrel::RowCollection& rows, const ImportSchema::Section& section, pugi::xml_node element,
                  bool clear, Run& run);
  void ImportRow(ostrel::Row& row, const ImportSchema::Section& section, pugi::xml_node element, Run& run);
  void MapRow(ostrel::Row& row, pugi::xml_node element, Run& run);
  // The fields of a row are set by their position in the section type,
  // through the row's RowEx.
  void WriteField(ostrel::RowEx& row, const ImportSchema::Field& field, pugi::xml_node element,
                  pugi::xml_attribute attribute, Run& run);
  void WriteCardReference(ostrel::RowEx& row, const ImportSchema::Field& field, pugi::xml_node element,
                          const std::string& value, Run& run);
  void WriteLongValue(ostrel::Row& row, const ImportSchema::Section& section, pugi::xml_node element);
  void RewriteRowReferences(ostrel::CardData& target, const ImportSchema::Card& card, Run& run);

  std::string folder_id_;
  com::Ref<ostrel::CardUpdate> main_updatable_;
  com::Ref<ostrel::Session> session_;
  std::string hook_section_;
  std::function<void()> hook_;
  std::unique_ptr<ImportSchema> schema_;
  // Cards being imported one inside another, to refuse endless nesting
  // through card data held in attributes.
  int card_depth_ = 0;
};

}  // namespace vorlane
