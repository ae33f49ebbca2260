// Export of a process card to the process XML document and import back.
#include <algorithm>
#include <array>

#include "common/field_coercion.h"
#include "common/ids.h"
#include "objects/core/card_layout.h"
#include "objects/exchange/card_importer.h"
#include "objects/exchange/process_import_export_object.h"
#include "objects/library/library_object.h"
#include "platform/com/describe.h"
#include "platform/com/registry.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/card_type.h"
#include "platform/ostrel/card_update.h"
#include "platform/ostrel/function_ui.h"
#include "platform/ostrel/row.h"
#include "platform/ostrel/section.h"
#include "platform/ostrel/section_collection.h"
#include "platform/ostrel/section_type.h"
#include "platform/ostrel/section_type_collection.h"
#include "vorlane/dict_function.h"
#include "vorlane/dict_functions.h"
#include "vorlane/dictionary.h"

namespace vorlane {
namespace {

// The gate ID a variable without a gate of its own reads as.
constexpr char kEmptyGateID[] = "00000000-0000-0000-0000-000000000000";

// The sections a partial import adds, in this order: links come last, so
// that the IDs of the rows they join are mapped by then.
constexpr std::array<const char*, 4> kPartSections = {"Variables", "Gates", "Functions", "Links"};

// Occurrence of IDs in a large upper-cased text. A braced GUID occurs in the
// text exactly when it is one of the text's "{...}" windows of its length,
// so those are collected once and looked up; any other ID is searched for.
class IdOccurrences {
 public:
  explicit IdOccurrences(std::string upper_text) : text_(std::move(upper_text)) {
    constexpr size_t kBraced = 38;
    for (size_t at = text_.find('{'); at != std::string::npos && at + kBraced <= text_.size();
         at = text_.find('{', at + 1)) {
      if (text_[at + kBraced - 1] == '}') windows_.insert(std::string_view(text_).substr(at, kBraced));
    }
  }
  // `upper_id` is upper-cased as the text is.
  bool Contains(std::string_view upper_id) const {
    if (upper_id.size() == 38 && upper_id.front() == '{' && upper_id.back() == '}') {
      return windows_.contains(upper_id);
    }
    return text_.find(upper_id) != std::string::npos;
  }

 private:
  std::string text_;
  std::unordered_set<std::string_view> windows_;
};

// A collection of the caller's IDs, each in NormalizeID form: SameID of two
// IDs is equality of those forms.
std::unordered_set<std::string> ListedIDs(com::Collection& ids) {
  std::unordered_set<std::string> listed;
  const int32_t count = ids.Count();
  for (int32_t i = 1; i <= count; ++i) listed.insert(NormalizeID(ids.Item(com::Variant(i)).ToText()));
  return listed;
}

// Removes every child of `parent` named `name` that `drop` picks.
template <class Drop>
void RemoveRows(pugi::xml_node parent, const char* name, Drop drop) {
  for (pugi::xml_node row = parent.child(name); row;) {
    pugi::xml_node next = row.next_sibling(name);
    if (drop(row)) parent.remove_child(row);
    row = next;
  }
}

com::Variant AsObject(com::Unknown* object) { return com::Variant(com::Ref<com::Unknown>(object)); }

}  // namespace

// --- export ---------------------------------------------------------------

void ProcessImportExportObject::Report(int64_t done, int64_t total) {
  if (progress_) progress_(done, std::max(done, total));
}

std::string ProcessImportExportObject::Export(const com::Ref<ostrel::Session>& session, ostrel::CardData& process_data,
                                              bool sub_processes, com::Collection* function_ids,
                                              bool keep_all_variables) {
  if (!session) throw com::Error(com::hr::kObjectNotSet);
  // Each export starts afresh: its own session, its own record of cards
  // written, and a dictionary read anew on first need.
  session_ = session;
  exported_.clear();
  embed_depth_ = 0;
  dependent_gates_.clear();
  library_.reset();
  std::string platform = process_data.GetXML(false);
  if (!function_ids && !exchange::NamesLinkedCards(platform)) {
    // Nothing to embed and nothing to leave out: the document is the
    // card's platform form as it stands.
    const int64_t functions = process_data.GetSections()->Item(layout::kFunctions)->GetRows()->Count();
    Report(0, functions);
    Report(functions, functions);
    return platform;
  }
  // The platform's own form of its card: a text that does not parse leaves
  // an empty document, which the export writes as it is.
  exchange::Document doc;
  doc.ParseTrusted(std::move(platform));
  exported_.insert(NormalizeID(process_data.GetID()));
  // A part first drops what is not kept: each kept row then brings the
  // cards it links, also those a dropped row linked before it.
  if (function_ids) KeepPart(doc.dom(), *function_ids, keep_all_variables);
  if (doc.root()) EmbedLinkedCards(exchange::Descendants(doc.root(), "FunctionsRow"), sub_processes, true);
  return exchange::ToText(doc.dom());
}

void ProcessImportExportObject::EmbedLinkedCards(const std::vector<pugi::xml_node>& rows, bool sub_processes,
                                                 bool report) {
  const int64_t total = static_cast<int64_t>(rows.size());
  if (report) Report(0, total);
  int64_t done = 0;
  for (pugi::xml_node row : rows) {
    EmbedLinkedCard(row, "CardID", sub_processes);
    EmbedLinkedCard(row, "WeakCardID", sub_processes);
    if (report) Report(++done, total);
  }
}

void ProcessImportExportObject::EmbedLinkedCard(pugi::xml_node row, const char* attribute, bool sub_processes) {
  const std::string_view value = exchange::Attr(row, attribute);
  if (text::Trim(value).empty()) return;
  // Cards are known by their normalised IDs, so that one card linked as
  // "{a1...}" and as "A1..." is still written once.
  const std::string id = NormalizeID(value);
  if (exported_.contains(id)) return;
  com::Ref<ostrel::CardManager> cards = session_->GetCardManager();
  // A card that no longer exists is passed over: a dangling link must not
  // stop the export of the process that holds it.
  if (cards->GetCardStatus(id) != 1) {
    exported_.insert(id);
    return;
  }
  com::Ref<ostrel::CardData> card = cards->GetCardData(id);
  const bool is_process = SameID(card->GetCardType()->GetID(), layout::kProcessCardType);
  if (is_process && !sub_processes) return;
  // Entered before it is expanded: a sub-process that links back to its
  // parent, or to itself, ends the descent here.
  exported_.insert(id);

  // No deeper than an import reads back.
  if (embed_depth_ >= exchange::kMaxEmbeddedCards) exchange::ThrowEmbeddedTooDeep();
  exchange::Document linked;
  linked.ParseTrusted(card->GetXML(false));
  if (!linked.root()) return;
  if (is_process) {
    ++embed_depth_;
    struct Up {
      int& depth;
      ~Up() { --depth; }
    } up{embed_depth_};
    EmbedLinkedCards(exchange::Descendants(linked.root(), "FunctionsRow"), sub_processes, false);
  }
  row.append_child((std::string(attribute) + "CardData").c_str()).append_copy(linked.root());
}

void ProcessImportExportObject::ExportProcessEx(com::Ref<ostrel::Session> session,
                                                com::Ref<ostrel::CardData> process_data, const std::string& file_path,
                                                bool export_sub_processes) {
  if (!process_data) throw com::Error(com::hr::kObjectNotSet);
  exchange::SaveFile(Export(session, *process_data, export_sub_processes, nullptr, false), file_path);
}

std::string ProcessImportExportObject::SerializeProcess(com::Ref<ostrel::Session> session,
                                                        com::Ref<ostrel::CardData> process_data) {
  if (!process_data) throw com::Error(com::hr::kObjectNotSet);
  return Export(session, *process_data, true, nullptr, false);
}

std::string ProcessImportExportObject::SerializeProcessPart(com::Ref<ostrel::Session> session,
                                                            com::Ref<ostrel::CardData> process_data,
                                                            com::Ref<com::Collection> function_ids,
                                                            bool export_sub_processes, bool keep_all_variables) {
  if (!process_data) throw com::Error(com::hr::kObjectNotSet);
  return Export(session, *process_data, export_sub_processes, function_ids.get(), keep_all_variables);
}

void ProcessImportExportObject::KeepPart(pugi::xml_document& doc, com::Collection& function_ids,
                                         bool keep_all_variables) {
  const std::unordered_set<std::string> listed = ListedIDs(function_ids);
  auto is_listed = [&](std::string_view id) { return listed.contains(NormalizeID(id)); };
  pugi::xml_node process = doc.child("Data").child("Process");

  pugi::xml_node functions = process.child("Functions");
  if (functions) {
    RemoveRows(functions, "FunctionsRow", [&](pugi::xml_node row) { return !is_listed(exchange::Attr(row, "ID")); });
  }
  if (pugi::xml_node links = process.child("Links")) {
    RemoveRows(links, "LinksRow", [&](pugi::xml_node row) {
      return !(is_listed(exchange::Attr(row, "Source")) && is_listed(exchange::Attr(row, "Destination")));
    });
  }

  // What the kept functions say, upper-cased: variables and gates stay when
  // it names them.
  const IdOccurrences named(text::Upper(functions ? exchange::ToText(functions) : std::string()));

  std::unordered_set<std::string> used_gates;
  if (!keep_all_variables) {
    if (pugi::xml_node variables = process.child("Variables")) {
      RemoveRows(variables, "VariablesRow", [&](pugi::xml_node row) {
        if (!named.Contains(text::Upper(exchange::Attr(row, "ID")))) return true;
        std::string gate = text::Upper(exchange::Attr(row, "GateID"));
        used_gates.insert(gate.empty() ? std::string(kEmptyGateID) : std::move(gate));
        return false;
      });
    }
  }

  if (pugi::xml_node gates = process.child("Gates")) {
    RemoveRows(gates, "GatesRow", [&](pugi::xml_node row) {
      const std::string type = text::Upper(exchange::Attr(row, "TypeID"));
      if (named.Contains(type) || used_gates.contains(type)) return false;
      for (pugi::xml_node function = functions.child("FunctionsRow"); function;
           function = function.next_sibling("FunctionsRow")) {
        if (text::FindNoCase(DependentGates(std::string(exchange::Attr(function, "TypeID"))), type) !=
            std::string::npos) {
          return false;
        }
      }
      return true;
    });
  }
}

vorlane::Library& ProcessImportExportObject::PrivateLibrary() {
  if (!library_) {
    com::Ref<vorlane::Library> library = com::Make<LibraryObject>();
    library->SetConnection(AsObject(session_.get()));
    library_ = std::move(library);
  }
  return *library_;
}

const std::string& ProcessImportExportObject::DependentGates(const std::string& type_id) {
  const std::string key = NormalizeID(type_id);
  if (auto it = dependent_gates_.find(key); it != dependent_gates_.end()) return it->second;
  const std::string ui_class = PrivateLibrary().Dictionary()->Functions()->Item(com::Variant(key))->UIClass();
  com::Ref<com::Unknown> ui = com::CreateObject(ui_class);
  std::string gates;
  if (com::Ref<ostrel::FunctionUI> typed = com::TryQuery<ostrel::FunctionUI>(ui)) {
    gates = typed->GetDependentGates();
  } else {
    // A user-interface class that offers the member only by dispatch.
    gates = com::CallMethod(ui.get(), "GetDependentGates").ToText();
  }
  return dependent_gates_.emplace(key, std::move(gates)).first->second;
}

// --- import ---------------------------------------------------------------

void ProcessImportExportObject::Import(const com::Ref<ostrel::Session>& session, ostrel::CardData& process_data,
                                       pugi::xml_node process, const exchange::Document& doc,
                                       const std::string& folder_id, com::Collection* created_card_ids,
                                       const com::KeyedList* skipped_types) {
  const int64_t functions = static_cast<int64_t>(doc.counted());
  com::Ref<ostrel::CardUpdate> update = com::Query<ostrel::CardUpdate>(&process_data);
  CardImporter importer;
  importer.SetSession(session);
  importer.SetMainUpdatable(update);
  importer.SetFolderID(folder_id);

  int64_t done = 0;
  Report(0, functions);
  importer.SetRowHook(layout::kFunctions, [&] { Report(++done, functions); });

  // Without a bracket of the caller's, a failed import takes its cards
  // away again: the caller hears of them only once the import succeeded.
  // Inside the caller's bracket the caller decides, so it hears of them at once.
  const bool own_bracket = !update->GetInUpdate();
  com::Ref<com::KeyedList> made = com::Make<com::KeyedList>();
  com::Collection& created = created_card_ids && !own_bracket ? *created_card_ids : *made;
  IdMap ids;
  ids.Reserve(doc.elements());
  importer.ImportCard(session, process_data, process, ids, created, skipped_types);
  if (created_card_ids && own_bracket) {
    for (size_t i = 0; i < made->size(); ++i) created_card_ids->Add(made->at(i), *made->key_at(i));
  }

  process_data.SetDescription(
      FieldToString(process_data.GetSections()->Item(layout::kMainInfo)->GetFirstRow()->GetField("Name")));
  Report(functions, functions);
}

void ProcessImportExportObject::ImportProcessEx(com::Ref<ostrel::Session> session,
                                                com::Ref<ostrel::CardData> process_data, const std::string& file_path,
                                                const std::string& folder_id,
                                                com::Ref<com::Collection> created_card_ids,
                                                bool import_sub_processes) {
  if (!session || !process_data) throw com::Error(com::hr::kObjectNotSet);
  session_ = session;
  exchange::Document doc;
  pugi::xml_node process = exchange::LoadProcessFile(doc, file_path, limits_);
  com::Ref<com::KeyedList> skipped = com::Make<com::KeyedList>();
  if (!import_sub_processes) {
    const std::string type = NormalizeID(layout::kProcessCardType);
    skipped->Add(com::Variant(type), type);
  }
  Import(session, *process_data, process, doc, folder_id, created_card_ids.get(), skipped.get());
}

void ProcessImportExportObject::DeserializeProcess(com::Ref<ostrel::Session> session,
                                                   com::Ref<ostrel::CardData> process_data, const std::string& data,
                                                   const std::string& folder_id,
                                                   com::Ref<com::Collection> created_card_ids) {
  if (!session || !process_data) throw com::Error(com::hr::kObjectNotSet);
  session_ = session;
  exchange::Document doc;
  pugi::xml_node process = exchange::LoadProcess(doc, data, limits_);
  Import(session, *process_data, process, doc, folder_id, created_card_ids.get(), nullptr);
}

void ProcessImportExportObject::DeserializeProcessPart(com::Ref<ostrel::Session> session,
                                                       com::Ref<ostrel::CardData> process_data,
                                                       const std::string& data,
                                                       com::Ref<com::Collection> created_card_ids) {
  if (!session || !process_data) throw com::Error(com::hr::kObjectNotSet);
  session_ = session;
  exchange::Document doc;
  pugi::xml_node process = exchange::LoadProcess(doc, data, limits_);

  com::Ref<ostrel::CardUpdate> update = com::Query<ostrel::CardUpdate>(process_data);
  CardImporter importer;
  importer.SetSession(session);
  importer.SetMainUpdatable(update);
  const int64_t total = static_cast<int64_t>(doc.counted());
  int64_t done = 0;
  Report(0, total);
  importer.SetRowHook(layout::kFunctions, [&] { Report(++done, total); });

  IdMap ids;
  ids.Reserve(doc.elements());
  com::Ref<com::KeyedList> skipped = com::Make<com::KeyedList>();
  com::Ref<com::KeyedList> made = com::Make<com::KeyedList>();
  // The sections are added inside one bracket, as a whole import is: a
  // failure halfway must not leave half of them added. A bracket the
  // caller opened is the caller's to end or cancel.
  const bool own_bracket = !update->GetInUpdate();
  com::Collection& created = created_card_ids && !own_bracket ? *created_card_ids : *made;
  WithinBracket(*update, [&] {
    com::Ref<ostrel::SectionTypeCollection> types = process_data->GetCardType()->GetSectionTypes();
    com::Ref<ostrel::SectionCollection> sections = process_data->GetSections();
    for (const char* name : kPartSections) {
      com::Ref<ostrel::SectionType> type = types->Item(com::Variant(std::string(name)));
      pugi::xml_node element = process.child(name);
      if (!element) continue;
      com::Ref<ostrel::RowCollection> rows = sections->Item(type->GetID())->GetRows();
      importer.ImportSection(session, *rows, *type, element, ids, created, skipped.get());
    }
  });
  if (created_card_ids && own_bracket) {
    for (size_t i = 0; i < made->size(); ++i) created_card_ids->Add(made->at(i), *made->key_at(i));
  }
  Report(total, total);
}

const com::TypeInfo& ProcessImportExport::DispatchInfo() {
  using P = ProcessImportExport;
  static const com::TypeInfo info =
      com::Describe<P>("_ProcessImportExport")
          .Method("ExportProcess", &P::ExportProcess, {com::Arg("Session"), com::Arg("ProcessData"), com::Arg("FilePath")})
          .Method("ExportProcessEx", &P::ExportProcessEx,
                  {com::Arg("Session"), com::Arg("ProcessData"), com::Arg("FilePath"),
                   com::Optional("ExportSubProcesses", true)})
          .Method("SerializeProcess", &P::SerializeProcess, {com::Arg("Session"), com::Arg("ProcessData")})
          .Method("SerializeProcessPart", &P::SerializeProcessPart,
                  {com::Arg("Session"), com::Arg("ProcessData"), com::Arg("FunctionIDs"),
                   com::Optional("ExportSubProcesses", true), com::Optional("KeepAllVariables", false)})
          .Method("ImportProcess", &P::ImportProcess,
                  {com::Arg("Session"), com::Arg("ProcessData"), com::Arg("FilePath"),
                   com::Optional("FolderID", std::string()), com::Optional("CreatedCardIDs")})
          .Method("ImportProcessEx", &P::ImportProcessEx,
                  {com::Arg("Session"), com::Arg("ProcessData"), com::Arg("FilePath"),
                   com::Optional("FolderID", std::string()), com::Optional("CreatedCardIDs"),
                   com::Optional("ImportSubProcesses", true)})
          .Method("DeserializeProcess", &P::DeserializeProcess,
                  {com::Arg("Session"), com::Arg("ProcessData"), com::Arg("Data"),
                   com::Optional("FolderID", std::string()), com::Optional("CreatedCardIDs")})
          .Method("DeserializeProcessPart", &P::DeserializeProcessPart,
                  {com::Arg("Session"), com::Arg("ProcessData"), com::Arg("Data"), com::Optional("CreatedCardIDs")})
          .Build();
  return info;
}

}  // namespace vorlane
