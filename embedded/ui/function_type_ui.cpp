#include "embedded/ui/function_type_ui.h"

#include <algorithm>

#include "embedded/store/session_state.h"
#include "embedded/store/store_card_manager.h"
#include "platform/com/error.h"
#include "platform/com/text.h"
#include "platform/com/xml_text.h"
#include "platform/ostrel/card_data.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/errors.h"
#include "platform/ostrel/row.h"
#include "platform/ostrel/row_collection.h"
#include "platform/ostrel/section.h"
#include "platform/ostrel/section_collection.h"
#include "platform/ostrel/card_types.h"

namespace embedded::ui {
namespace {

constexpr const char* kFunctionTypes = ostrel::card_type::kFunctionTypes;
constexpr const char* kFunctionTypesSection = "{A5489822-1A9C-4CBE-8468-23DE99C843C4}";

std::string TextOf(const com::Variant& v) { return v.IsNull() || v.IsEmpty() ? std::string() : v.ToText(); }

// Each piece of a "{ID};{ID}" list in its "{UPPER-CASE}" form, a piece that
// is no GUID as written.
void AddPieces(std::string_view list, std::vector<std::string>& out) {
  while (!list.empty()) {
    const size_t end = list.find(';');
    std::string_view piece = text::Trim(list.substr(0, end));
    list = end == list.npos ? std::string_view() : list.substr(end + 1);
    if (piece.empty()) continue;
    std::optional<com::Guid> id = com::Guid::Parse(piece);
    std::string one = id ? id->ToString() : std::string(piece);
    if (std::find(out.begin(), out.end(), one) == out.end()) out.push_back(std::move(one));
  }
}

com::ClassInfo UIClass(const char* clsid, const char* progid) {
  com::ClassInfo info;
  info.clsid = com::Guid(clsid);
  info.progid = progid;
  info.creatable = true;
  info.factory = [name = std::string(progid)] { return com::Ref<com::Unknown>(com::Make<FunctionTypeUI>(name)); };
  info.module = "vorlane_store";
  return info;
}

}  // namespace

std::string FunctionTypeUI::GetDependentGates() {
  com::Ref<ostrel::CardManager> cards;
  if (session_) {
    cards = session_->GetCardManager();
  } else if (std::shared_ptr<SessionState> session = ThreadSession()) {
    cards = com::Make<StoreCardManager>(session);
  } else {
    throw com::Error(ostrel::err::kServiceUnavailable, std::string(ostrel::err::kSource),
                     progid_ + ": no session is open on this thread to read the function types from");
  }
  com::Ref<ostrel::CardData> dictionary = cards->GetDictionaryData(kFunctionTypes);
  com::Ref<ostrel::RowCollection> types = dictionary->GetSections()->Item(kFunctionTypesSection)->GetRows();
  std::vector<std::string> gates;
  for (int32_t i = 0, n = types->Count(); i < n; ++i) {
    com::Ref<ostrel::Row> type = types->Item(com::Variant(i));
    if (text::EqualNoCase(TextOf(type->GetField("UIClass")), progid_)) {
      AddPieces(TextOf(type->GetField("DependentGates")), gates);
    }
  }
  std::string out;
  for (const std::string& g : gates) out += (out.empty() ? "" : ";") + g;
  return out;
}

void FunctionTypeUI::ConvertFunction(const com::Variant& process, const std::string& function_id) {
  if (!process.IsObject()) {
    throw com::Error(com::hr::kInvalidArg, progid_, "ConvertFunction needs the process object");
  }
  com::Ref<com::Unknown> functions = com::GetProperty(process.ToObject().get(), "Functions").ToObject();
  const com::Variant id[] = {com::Variant(function_id)};
  com::Ref<com::Unknown> function = com::CallMethod(functions.get(), "Item", id).ToObject();
  if (auto converted = ConvertedSettings(TextOf(com::GetProperty(function.get(), "Data")))) {
    com::SetProperty(function.get(), "Data", com::Variant(*converted));
  }
}

void FunctionTypeUI::SetSession(const com::Variant& session) {
  session_ = session.IsObject() ? com::Query<ostrel::Session>(session.ToObject()) : com::Ref<ostrel::Session>();
  if (!session_) throw com::Error(com::hr::kInvalidArg, progid_, "SetSession needs a session");
}

std::optional<std::string> ConvertedSettings(std::string_view data) {
  if (text::Trim(data).empty() || text::Trim(data).front() == '<') return std::nullopt;
  std::string out;
  while (!data.empty()) {
    const size_t end = data.find('\n');
    std::string_view line = data.substr(0, end);
    data = end == data.npos ? std::string_view() : data.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (text::Trim(line).empty()) continue;
    const size_t eq = line.find('=');
    if (eq == line.npos) return std::nullopt;  // not a setting: not the old form
    out += "<Param Name=\"" + text::XmlEscape(text::Trim(line.substr(0, eq))) + "\" Value=\"" +
           text::XmlEscape(line.substr(eq + 1)) + "\"/>\n";
  }
  return out;
}

const std::vector<com::ClassInfo>& FunctionTypeUIClasses() {
  static const std::vector<com::ClassInfo> classes = {
      UIClass("{76EE97B6-AC68-4953-9598-7BE38D706C6E}", "QXWorkflow.StartUI"),
      UIClass("{1646CEB9-769A-4EA1-928E-001D955B2D1D}", "QXWorkflow.FinishUI"),
      UIClass("{6CB650FC-8FE9-499D-AE63-541EE5D9B7F6}", "QXWorkflow.TaskUI"),
      UIClass("{79FD7D24-FBBA-4AD9-B6D0-0D8DF5529524}", "QXWorkflow.NotificationUI"),
      UIClass("{BEF912DF-AEEE-4F45-B88E-20C1D34C487D}", "QXWorkflow.ConditionUI"),
      UIClass("{73548BDD-016E-4572-A97A-D40073031888}", "QXWorkflow.SubProcessUI"),
  };
  return classes;
}

namespace {
const com::ClassRegistrar kClasses[] = {
    com::ClassRegistrar(FunctionTypeUIClasses()[0]), com::ClassRegistrar(FunctionTypeUIClasses()[1]),
    com::ClassRegistrar(FunctionTypeUIClasses()[2]), com::ClassRegistrar(FunctionTypeUIClasses()[3]),
    com::ClassRegistrar(FunctionTypeUIClasses()[4]), com::ClassRegistrar(FunctionTypeUIClasses()[5]),
};
}  // namespace

}  // namespace embedded::ui
