#pragma once

#include <string>

#include "platform/com/collection.h"
#include "platform/com/dispatch.h"
#include "platform/ostrel/card_data.h"
#include "platform/ostrel/session.h"

namespace vorlane {

// _ProcessImportExport: a process card as the process XML document and
// back ("QXVorlane.ProcessImportExport", creatable). Every method works on
// the session and the process card data the caller hands in; nothing is
// kept from one call to the next.
//
// The document is the card's platform XML form (CardData.GetXML) with the
// cards that its functions link to ("CardID", "WeakCardID") embedded under
// the function rows that name them, each card once, sub-processes to any
// depth. An import rebuilds the card from such a document, gives every row
// and created card a new ID and points every reference at the new IDs.
//
// Imports read files users pick. A text that is not a process document
// fails with 0x80040001 "Specified data does not contain business-process.";
// a document that holds a bad value fails with the conversion's or the ID
// list's own code, the description naming the element and attribute. When
// the card was in no update bracket, a failed import leaves the card and the
// store as they were; inside the caller's bracket, CancelUpdate does.
class ProcessImportExport : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{FF9D9E31-0D21-4F52-94DD-4B881A5E6A44}"};
  static constexpr com::Guid kCLSID{"{C07B8FDB-7E7E-40FD-83FA-22960589B67A}"};
  static const com::TypeInfo& DispatchInfo();

  // ExportProcessEx with sub-processes.
  virtual void ExportProcess(com::Ref<ostrel::Session> session, com::Ref<ostrel::CardData> process_data,
                             const std::string& file_path) = 0;
  // Writes the document to `file_path`; an export that fails writes no file.
  // Without `export_sub_processes` linked process cards are not embedded.
  virtual void ExportProcessEx(com::Ref<ostrel::Session> session, com::Ref<ostrel::CardData> process_data,
                               const std::string& file_path, bool export_sub_processes) = 0;
  // The document as text, sub-processes included.
  virtual std::string SerializeProcess(com::Ref<ostrel::Session> session,
                                       com::Ref<ostrel::CardData> process_data) = 0;
  // The document reduced to the functions `function_ids` lists: the links
  // between two of them, the variables their rows name (all of them with
  // `keep_all_variables`) and the gates they need. Without `function_ids`
  // (Nothing) it is SerializeProcess with `export_sub_processes`.
  virtual std::string SerializeProcessPart(com::Ref<ostrel::Session> session,
                                           com::Ref<ostrel::CardData> process_data,
                                           com::Ref<com::Collection> function_ids, bool export_sub_processes,
                                           bool keep_all_variables) = 0;
  // ImportProcessEx with sub-processes.
  virtual void ImportProcess(com::Ref<ostrel::Session> session, com::Ref<ostrel::CardData> process_data,
                             const std::string& file_path, const std::string& folder_id,
                             com::Ref<com::Collection> created_card_ids) = 0;
  // Replaces the card's content (its log excepted) by the document in
  // `file_path` and gives the card the imported process's name as its
  // description. The IDs of the cards made for embedded cards go to
  // `created_card_ids` when given; without `import_sub_processes` embedded
  // process cards are not made.
  virtual void ImportProcessEx(com::Ref<ostrel::Session> session, com::Ref<ostrel::CardData> process_data,
                               const std::string& file_path, const std::string& folder_id,
                               com::Ref<com::Collection> created_card_ids, bool import_sub_processes) = 0;
  // ImportProcess from the text `data`, every embedded card made.
  virtual void DeserializeProcess(com::Ref<ostrel::Session> session, com::Ref<ostrel::CardData> process_data,
                                  const std::string& data, const std::string& folder_id,
                                  com::Ref<com::Collection> created_card_ids) = 0;
  // Adds the variables, gates, functions and links of the document `data`
  // (as SerializeProcessPart makes it) to the card, keeping what the card
  // holds; the description is not changed.
  virtual void DeserializeProcessPart(com::Ref<ostrel::Session> session, com::Ref<ostrel::CardData> process_data,
                                      const std::string& data, com::Ref<com::Collection> created_card_ids) = 0;
};

}  // namespace vorlane
