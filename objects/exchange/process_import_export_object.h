#pragma once

#include <pugixml.hpp>

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "objects/exchange/process_document.h"
#include "platform/com/text.h"
#include "vorlane/exchange_limits.h"
#include "vorlane/exchange_progress.h"
#include "vorlane/library.h"
#include "vorlane/process_import_export.h"

namespace vorlane {

// ProcessImportExport, and for C++ programs the progress of its calls and
// how much an import reads (ExchangeProgress, ExchangeLimits: not on the
// dispatch interface).
class ProcessImportExportObject final : public com::Object<ProcessImportExport, ExchangeProgress, ExchangeLimits> {
 public:
  void SetMaxFileSize(uint64_t bytes) override { limits_.file = bytes; }
  void SetMaxAttributeSize(uint64_t bytes) override { limits_.attribute = bytes; }

  // Progress of the export or import under way: `done` function rows of
  // `total` (the function rows of the process card for an export; of every
  // card in the document for an import). Called on the caller's thread,
  // first with done 0 and last with done equal to total; a callback that
  // throws stops the call with its error, an import cancelled as for any
  // other failure.
  void SetProgressCallback(Callback callback) override { progress_ = std::move(callback); }

  void ExportProcess(com::Ref<ostrel::Session> session, com::Ref<ostrel::CardData> process_data,
                     const std::string& file_path) override {
    ExportProcessEx(std::move(session), std::move(process_data), file_path, true);
  }
  void ExportProcessEx(com::Ref<ostrel::Session> session, com::Ref<ostrel::CardData> process_data,
                       const std::string& file_path, bool export_sub_processes) override;
  std::string SerializeProcess(com::Ref<ostrel::Session> session, com::Ref<ostrel::CardData> process_data) override;
  std::string SerializeProcessPart(com::Ref<ostrel::Session> session, com::Ref<ostrel::CardData> process_data,
                                   com::Ref<com::Collection> function_ids, bool export_sub_processes,
                                   bool keep_all_variables) override;
  void ImportProcess(com::Ref<ostrel::Session> session, com::Ref<ostrel::CardData> process_data,
                     const std::string& file_path, const std::string& folder_id,
                     com::Ref<com::Collection> created_card_ids) override {
    ImportProcessEx(std::move(session), std::move(process_data), file_path, folder_id, std::move(created_card_ids),
                    true);
  }
  void ImportProcessEx(com::Ref<ostrel::Session> session, com::Ref<ostrel::CardData> process_data,
                       const std::string& file_path, const std::string& folder_id,
                       com::Ref<com::Collection> created_card_ids, bool import_sub_processes) override;
  void DeserializeProcess(com::Ref<ostrel::Session> session, com::Ref<ostrel::CardData> process_data,
                          const std::string& data, const std::string& folder_id,
                          com::Ref<com::Collection> created_card_ids) override;
  void DeserializeProcessPart(com::Ref<ostrel::Session> session, com::Ref<ostrel::CardData> process_data,
                              const std::string& data, com::Ref<com::Collection> created_card_ids) override;

 private:
  using IdSet = std::unordered_set<std::string, text::NoCaseHash, text::NoCaseEqual>;

  // The export document of the card as text, its linked cards embedded;
  // with `function_ids`, only the part those functions need.
  std::string Export(const com::Ref<ostrel::Session>& session, ostrel::CardData& process_data, bool sub_processes,
                     com::Collection* function_ids, bool keep_all_variables);
  // Embeds the cards that the function rows link to; `report` tells the
  // progress callback after each row.
  void EmbedLinkedCards(const std::vector<pugi::xml_node>& rows, bool sub_processes, bool report);
  // Embeds the card the row's `attribute` links to, unless it is no link,
  // a card written already, a card that does not exist, or a process
  // without `sub_processes`; a process brings the cards it links in turn.
  void EmbedLinkedCard(pugi::xml_node row, const char* attribute, bool sub_processes);
  // Keeps the listed functions and what they need.
  void KeepPart(pugi::xml_document& doc, com::Collection& function_ids, bool keep_all_variables);
  // The gate types the function type depends on, as its FunctionUI tells
  // them; asked once per type and call.
  const std::string& DependentGates(const std::string& type_id);
  vorlane::Library& PrivateLibrary();

  // `process` is the process element of `doc`, whose counts size the
  // progress (its function rows) and the ID map (its elements).
  void Import(const com::Ref<ostrel::Session>& session, ostrel::CardData& process_data, pugi::xml_node process,
              const exchange::Document& doc, const std::string& folder_id, com::Collection* created_card_ids,
              const com::KeyedList* skipped_types);
  void Report(int64_t done, int64_t total);

  com::Ref<ostrel::Session> session_;
  // The cards written into the document of the export under way.
  IdSet exported_;
  // How many cards the one being embedded is inside of (the exported card
  // not counted).
  int embed_depth_ = 0;
  com::Ref<vorlane::Library> library_;
  std::unordered_map<std::string, std::string> dependent_gates_;
  Callback progress_;
  exchange::ReadLimits limits_;
};

}  // namespace vorlane
