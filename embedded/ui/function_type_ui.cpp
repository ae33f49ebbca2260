#include "embedded/ui/function_type_ui.h"

#include <algorithm>

#include "embedded/store/session_state.h"
#include "embedded/store/store_card_manager.h"
#include "platform/com/error.h"
#include "platform/com/text.h"
#include "platform/ostrel/card_data.h"
#include "platform/ostrel/errors.h"
#include "platform/ostrel/row.h"
#include "platform/ostrel/row_collection.h"
#include "platform/ostrel/section.h"
#include "platform/ostrel/section_collection.h"

namespace embedded::ui {
namespace {

constexpr const char* kFunctionTypes = "{BDB73D05-8DE1-41B2-9F3C-AA76C4D9CD64}";
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
  std::shared_ptr<SessionState> session = ThreadSession();
  if (!session) {
    throw com::Error(ostrel::err::kServiceUnavailable, std::string(ostrel::err::kSource),
                     progid_ + ": no session is open on this thread to read the function types from");
  }
  com::Ref<ostrel::CardData> dictionary = com::Make<StoreCardManager>(session)->GetDictionaryData(kFunctionTypes);
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
