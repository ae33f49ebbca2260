// What the card fills in for a new template or a new instance, a process
// started for a document, the shortcuts to cards an import created, and the
// folder shown in the status bar.
#include <cstdio>

#include "card/control/card_object.h"
#include "card/convert/process_converter.h"
#include "card/ui/hour_glass.h"
#include "card/ui/messages.h"
#include "card/window/localize.h"
#include "common/ids.h"
#include "platform/com/text.h"
#include "vorlane/dict_gate.h"
#include "vorlane/dict_gates.h"
#include "vorlane/dictionary.h"
#include "vorlane/functions.h"
#include "vorlane/gate.h"
#include "vorlane/gates.h"
#include "vorlane/proc_function.h"
#include "vorlane/variable.h"
#include "vorlane/variables.h"
#include "platform/ostrel/card_types.h"

namespace card {
namespace {

// The gate of variables that hold a card reference.
constexpr const char* kCardReferenceGate = "{DE24E4D4-4097-48C5-8A7F-3B9A6A65810D}";
constexpr const char* kDocumentType = "{bfc9d190-bcd6-411a-b9f9-3160d3f68819}";
constexpr const char* kDocumentFiles = "{e962ac85-0f53-4439-a1cd-171e46c3ef91}";
constexpr const char* kFolderType = ostrel::card_type::kFolderTree;
// Cards of this type get no shortcut.
constexpr const char* kNoShortcutType = "{F7E2090A-EEC3-4B51-B1BB-567D4A0117D6}";
constexpr const char* kFilePrefix = "VARFILE";
// TypeID of a variable that names a file card.
constexpr int32_t kFileTypeID = 9;

}  // namespace

void CardObject::InitNewTemplate() {
  try {
    com::Ref<vorlane::Process> p = GetProcess();
    const std::string account = Account();
    p->SetAuthorCreated(account);
    p->SetAuthorModified(account);
    p->SetLocaleID(static_cast<int16_t>(session_locale_));
    p->SetVersion(kCurrentVersion);
    p->SetBuildNumber(ClientVersion());
    com::Ref<vorlane::DictGates> types = library_->Dictionary()->Gates();
    com::Ref<vorlane::Gates> gates = p->Gates();
    for (int32_t i = 1, n = types->Count(); i <= n; ++i) {
      com::Ref<vorlane::DictGate> type = types->Item(com::Variant(i));
      if (!type->AddGateInNewProcess()) continue;
      com::Ref<vorlane::Gate> gate = gates->AddNew();
      gate->SetCaption(type->Name());
      gate->SetTypeID(type->ID());
      gate->SetData(type->DefaultSettings());
    }
    Commit(false);
  } catch (const com::Error& e) {
    ShowError(Host(), 0, msg::kActivationFailed, e, session_.get());
  }
}

void CardObject::InitNewInstance() {
  try {
    com::Ref<vorlane::Process> p = GetProcess();
    p->SetDateBegin(com::Now());
    p->SetName(Message(msg::kInstancePrefix) + p->Name());
    p->SetLocaleID(static_cast<int16_t>(session_locale_));
    com::Ref<ostrel::CardManager> cards = session_->GetCardManager();
    com::Ref<vorlane::Functions> functions = p->Functions();
    for (int32_t i = 1, n = functions->Count(); i <= n; ++i) {
      const std::string card_id = functions->Item(com::Variant(i))->CardID();
      if (card_id.empty() || cards->GetCardStatus(card_id) != 1) continue;
      cards->GetCardData(card_id)->SetOwnerProcess(p->ID());
    }
  } catch (const com::Error& e) {
    ShowError(Host(), 0, msg::kActivationFailed, e, session_.get());
  }
}

void CardObject::ApplyInitialDocument(const std::string& document_id, const std::string& file_card_id) {
  // Each step stands on its own: a step that fails is skipped and the next
  // one is made all the same, so the document is recorded as far as it can be.
  com::Ref<vorlane::Process> p;
  com::Ref<vorlane::Variables> variables;
  com::Ref<vorlane::Variable> variable;
  try {
    p = GetProcess();
    variables = p->Variables();
    variable = variables->Item(com::Variant(p->InitialDocumentVariableID()));
  } catch (const com::Error&) {
    // No such variable: one is added below.
  }
  if (!variables) return;
  if (variable) {
    try {
      variable->SetValue(com::Variant(document_id));
    } catch (const com::Error&) {
      // See above: the next step goes on.
    }
  } else {
    try {
      variable = variables->AddNew();
      variable->SetName("InitialDocument");
      variable->SetVarType(vorlane::VarTypeEnum::Generic);
      variable->SetGateID(kCardReferenceGate);
      variable->SetTypeID(0);
      variable->SetValue(com::Variant(document_id));
    } catch (const com::Error&) {
      // See above.
    }
  }
  com::Ref<ostrel::CardManager> cards = session_->GetCardManager();
  try {
    if (variable && cards->GetCardStatus(document_id) == 1) {
      variable->SetDisplayValue(cards->GetCardData(document_id)->GetDescription());
    }
  } catch (const com::Error&) {
    // See above.
  }
  try {
    p->SetInitialDocument(document_id);
  } catch (const com::Error&) {
    // See above.
  }
  if (file_card_id.empty()) return;
  try {
    int32_t number = NextVariableNumber(kFilePrefix);
    com::Ref<ostrel::CardData> file_card = cards->GetCardData(file_card_id);
    if (!vorlane::SameID(file_card->GetCardType()->GetID(), kDocumentType)) return;
    com::Ref<ostrel::RowCollection> rows = file_card->GetSections()->Item(kDocumentFiles)->GetRows();
    for (int32_t i = 0, n = rows->Count(); i < n; ++i) {
      com::Variant field = rows->Item(com::Variant(i))->GetField("CardFileID");
      const std::string file_id = field.IsNull() || field.IsEmpty() ? "" : field.ToText();
      if (file_id.empty()) continue;
      char name[32];
      std::snprintf(name, sizeof name, "%s%05d", kFilePrefix, number);
      com::Ref<vorlane::Variable> file_variable = variables->AddNew();
      file_variable->SetName(name);
      file_variable->SetVarType(vorlane::VarTypeEnum::Generic);
      file_variable->SetGateID(kCardReferenceGate);
      file_variable->SetTypeID(kFileTypeID);
      file_variable->SetValue(com::Variant(file_id));
      ++number;
    }
  } catch (const com::Error&) {
    // See above: the document itself is recorded.
  }
}

int32_t CardObject::NextVariableNumber(const std::string& prefix) {
  com::Ref<vorlane::Variables> variables = GetProcess()->Variables();
  int32_t largest = 0;
  for (int32_t i = 1, n = variables->Count(); i <= n; ++i) {
    const std::string name = variables->Item(com::Variant(i))->Name();
    if (name.starts_with(prefix)) largest = std::max(largest, LeadingNumber(std::string_view(name).substr(prefix.size())));
  }
  return largest + 1;
}

void CardObject::ShortcutsOfCreatedCards() {
  com::Ref<com::KeyedList> created = std::move(created_);
  created_ = com::Make<com::KeyedList>();
  if (!created || created->size() == 0) return;
  com::Ref<ostrel::CardManager> cards = session_->GetCardManager();
  for (size_t i = 0; i < created->size(); ++i) {
    try {
      const std::string id = created->at(i).ToText();
      if (cards->GetCardStatus(id) != 1) continue;
      if (text::Upper(cards->GetCardData(id)->GetCardType()->GetID()) == text::Upper(kNoShortcutType)) continue;
      CreateShortcut(id);
    } catch (const com::Error&) {
      // A card that cannot be filed stays where it is; the walk goes on.
    }
  }
}

void CardObject::ForgetCreatedCards() { created_ = com::Make<com::KeyedList>(); }

com::Ref<ostrel::Folder> CardObject::FindFolder(const std::string& folder_id) {
  auto tree = com::Query<ostrel::FolderTree>(session_->GetCardManager()->GetDictionaryObject(kFolderType));
  return tree->GetFolder(folder_id);
}

void CardObject::CreateShortcut(const std::string& card_id) {
  if (card_id.empty() || folder_id_.empty()) return;
  FindFolder(folder_id_)->GetShortcuts()->AddShortcut(card_id, true);
}

void CardObject::ShowFolder(const std::string& folder_id) {
  std::string path;
  if (!folder_id.empty()) {
    try {
      for (com::Ref<ostrel::Folder> folder = FindFolder(folder_id); folder; folder = folder->GetParent()) {
        path = path.empty() ? folder->GetName() : folder->GetName() + "\\" + path;
      }
    } catch (const com::Error&) {
      // A folder that is not there shows no path.
      path.clear();
    }
  }
  Panel("Folder").Set("Text", com::Variant(path));
}

}  // namespace card
