// The converter of processes written by older versions. The steps run in a
// fixed order, each over the rows of the process card or through the object
// model: the version, the prefixes of stored values, the types of stored
// values, the numbering of enumeration values and the references to them,
// the functions (through their type's own class, and the sub-processes they
// run), the null gate, and the variable service's check.
#include "card/convert/process_converter.h"

#include <algorithm>
#include <array>
#include <optional>
#include <set>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/typed_text.h"
#include "platform/com/describe.h"
#include "platform/com/registry.h"
#include "platform/com/text.h"
#include "platform/ostrel/function_ui.h"
#include "vorlane/dict_function.h"
#include "vorlane/dict_functions.h"
#include "vorlane/dict_gate.h"
#include "vorlane/dict_gates.h"
#include "vorlane/dictionary.h"
#include "vorlane/functions.h"
#include "vorlane/gate.h"
#include "vorlane/gates.h"
#include "vorlane/pass_state.h"
#include "vorlane/pass_states.h"
#include "vorlane/proc_function.h"
#include "vorlane/variable.h"
#include "vorlane/variables.h"

namespace card {
namespace {

constexpr const char* kVariables = "{79F5B1F6-6BD0-499B-9093-232989BDCC6E}";
constexpr const char* kValues = "{52F01448-151C-4D4B-B18E-E80A06B5A581}";
constexpr const char* kEnumValues = "{AE982579-731C-4A84-A7CB-C9EC4E613B1C}";
// Where a value longer than a row's field keeps its whole text.
constexpr const char* kVariableSpare = "{49AD8ABD-DB45-44C2-BBE6-BC767AA3F6D7}";
constexpr const char* kValueSpare = "{375A0577-AD33-4455-958A-D001915769D9}";
constexpr size_t kRowTextLimit = 1024;
constexpr const char* kSubProcessType = "{2BF8B01D-3EDF-40C2-8C94-C6F5F3BC82AC}";
constexpr const char* kNullGateType = "{00000000-0000-0000-0000-000000000000}";

com::Variant AsVariant(com::Unknown* o) { return com::Variant(com::Ref<com::Unknown>(o)); }

bool HasText(const com::Variant& v) { return !v.IsNull() && !v.IsEmpty(); }

// Versions whose stored values carry a four-character prefix, and whose
// enumeration values are numbered anew.
bool PrefixedVersion(const std::string& version) {
  return version == "1.0" || version == "3.0" || version == "3.1";
}

template <class Fn>
void ForEachRow(ostrel::RowCollection& rows, Fn&& fn) {
  for (int32_t i = 0, n = rows.Count(); i < n; ++i) fn(*rows.Item(com::Variant(i)));
}

// A stored value's text, which may be held whole by the row's spare row
// (its "UseSparedValue" flag): `edit` answers the new text, or nullopt to
// leave it. Both copies are written, so that the value reads the same
// whichever copy is in force.
template <class Edit>
bool EditValueText(ostrel::Row& row, const char* spare_section, Edit&& edit) {
  const com::Variant stored = row.GetField("Value");
  if (!HasText(stored)) return false;
  com::Ref<ostrel::Row> spare;
  const com::Variant spared = row.GetField("UseSparedValue");
  if (HasText(spared) && spared.ToBool()) {
    spare = row.GetSubSections()->Item(spare_section)->GetFirstRow();
  }
  const com::Variant whole = spare ? spare->GetField("Value") : stored;
  std::optional<std::string> edited = edit(HasText(whole) ? whole.ToText() : stored.ToText());
  if (!edited) return false;
  if (spare) {
    spare->SetField("Value", com::Variant(*edited));
    row.SetField("Value", com::Variant(edited->substr(0, kRowTextLimit)));
  } else {
    row.SetField("Value", com::Variant(std::move(*edited)));
  }
  return true;
}

// Enumeration value IDs and the numbers that replace them in texts, found
// in one pass over a text whatever the number of IDs: candidates are looked
// up only where an ID can start, by the lengths IDs with that first
// character have.
class IdReplacer {
 public:
  void Add(const std::string& id, std::string number) {
    if (id.empty()) return;
    std::string key = text::Upper(id);
    auto& lengths = lengths_[static_cast<unsigned char>(key[0])];
    if (std::find(lengths.begin(), lengths.end(), key.size()) == lengths.end()) {
      lengths.push_back(key.size());
      std::sort(lengths.rbegin(), lengths.rend());  // the longest ID wins
    }
    by_id_.insert_or_assign(std::move(key), std::move(number));
  }
  bool empty() const { return by_id_.empty(); }

  // The text with every ID replaced (without regard to case); nullopt when
  // it holds none. `replaced` counts the replacements.
  std::optional<std::string> Apply(std::string_view text, int32_t& replaced) const {
    std::optional<std::string> out;
    size_t copied = 0;  // text before this is in `out`
    for (size_t i = 0; i < text.size();) {
      const auto& lengths = lengths_[static_cast<unsigned char>(text::Upper(text.substr(i, 1))[0])];
      const std::string* number = nullptr;
      size_t length = 0;
      for (size_t len : lengths) {
        if (i + len > text.size()) continue;
        auto it = by_id_.find(text::Upper(text.substr(i, len)));
        if (it != by_id_.end()) {
          number = &it->second;
          length = len;
          break;
        }
      }
      if (!number) {
        ++i;
        continue;
      }
      if (!out) out.emplace();
      out->append(text.substr(copied, i - copied)).append(*number);
      ++replaced;
      i += length;
      copied = i;
    }
    if (out) out->append(text.substr(copied));
    return out;
  }

 private:
  std::unordered_map<std::string, std::string> by_id_;
  std::array<std::vector<size_t>, 256> lengths_;
};

// Whether `a` orders before `b`: numbers by value, anything else by text.
bool ValueLess(const com::Variant& a, const com::Variant& b) {
  if (!HasText(a) || !HasText(b)) return !HasText(a) && HasText(b);
  if (a.IsNumeric() && b.IsNumeric()) return a.ToR8() < b.ToR8();
  return a.ToText() < b.ToText();
}

// One run over a process and the sub-processes it reaches, each once.
class Conversion {
 public:
  Conversion(com::Ref<vorlane::Library> library, com::Unknown* pellory, ProcessConverter::Counts& counts)
      : library_(std::move(library)), pellory_(pellory), counts_(counts) {
    session_ = com::Query<ostrel::Session>(library_->Connection().ToObject());
  }

  // False when the process was current already (or is converted already in
  // this run).
  bool Process(const com::Ref<vorlane::Process>& process, const com::Ref<ostrel::CardData>& data,
               com::Unknown* progress) {
    if (!seen_.insert(text::Upper(process->ID())).second) return false;
    const std::string version = process->Version();
    const int32_t build = process->BuildNumber();
    if (IsCurrent(version, build)) return false;
    auto update = com::Query<ostrel::CardUpdate>(data);
    const bool own_bracket = !update->GetInUpdate();
    if (own_bracket) update->BeginUpdate();
    try {
      process->SetVersion(kCurrentVersion);
      process->SetBuildNumber(kCurrentBuild);
      com::Ref<ostrel::SectionCollection> sections = data->GetSections();
      com::Ref<ostrel::RowCollection> variables = sections->Item(kVariables)->GetRows();
      com::Ref<ostrel::RowCollection> values = sections->Item(kValues)->GetRows();
      if (PrefixedVersion(version)) Unprefix(*variables, *values);
      if (build < kCurrentBuild) Retype(*variables);
      if (PrefixedVersion(version)) Renumber(*process, *variables, *values);
      Functions(process, progress);
      AddNullGate(*process);
      CheckVariables(library_, process, pellory_);
      if (own_bracket) update->EndUpdate();
    } catch (...) {
      if (own_bracket) {
        try {
          update->CancelUpdate();
        } catch (const com::Error&) {
          // Swallowed: the failure that stopped the conversion is the one reported.
        }
      }
      throw;
    }
    return true;
  }

 private:
  void Unprefix(ostrel::RowCollection& variables, ostrel::RowCollection& values) {
    auto strip = [](const std::string& text) -> std::optional<std::string> {
      if (text.size() <= 3) return std::nullopt;
      return text.substr(std::min<size_t>(4, text.size()));
    };
    ForEachRow(variables, [&](ostrel::Row& row) { counts_.values_unprefixed += EditValueText(row, kVariableSpare, strip); });
    ForEachRow(values, [&](ostrel::Row& row) { counts_.values_unprefixed += EditValueText(row, kValueSpare, strip); });
  }

  // Values kept as text by older builds are stored typed, as the variable's
  // type reads them.
  void Retype(ostrel::RowCollection& variables) {
    ForEachRow(variables, [&](ostrel::Row& variable) {
      const int32_t type = variable.GetField("VarType").IsNumeric() ? variable.GetField("VarType").ToI4() : 0;
      if (type == static_cast<int32_t>(vorlane::VarTypeEnum::Generic) ||
          type == static_cast<int32_t>(vorlane::VarTypeEnum::String)) {
        return;
      }
      auto retype = [&](ostrel::Row& row) {
        const com::Variant stored = row.GetField("Value");
        if (!HasText(stored)) return;
        row.SetField("Value", vorlane::TextToValue(stored.ToText(), static_cast<vorlane::VarTypeEnum>(type)));
        ++counts_.values_retyped;
      };
      retype(variable);
      ForEachRow(*variable.GetSubSections()->Item(kValues)->GetRows(), retype);
    });
  }

  // Each variable's enumeration values are numbered 1, 2, ... in the order
  // of their values, and every text that named one by ID names its number.
  void Renumber(vorlane::Process& process, ostrel::RowCollection& variables, ostrel::RowCollection& values) {
    IdReplacer ids;
    ForEachRow(variables, [&](ostrel::Row& variable) {
      com::Ref<ostrel::RowCollection> enums = variable.GetSubSections()->Item(kEnumValues)->GetRows();
      std::vector<std::pair<com::Variant, com::Ref<ostrel::Row>>> ordered;
      ForEachRow(*enums, [&](ostrel::Row& row) {
        ordered.emplace_back(row.GetField("Value"), com::Ref<ostrel::Row>(&row));
      });
      std::stable_sort(ordered.begin(), ordered.end(),
                       [](const auto& a, const auto& b) { return ValueLess(a.first, b.first); });
      int16_t position = 0;
      for (auto& [value, row] : ordered) {
        row->SetField("NumValue", com::Variant(++position));
        const com::Variant id = row->GetField("ID");
        if (HasText(id)) ids.Add(id.ToText(), std::to_string(position));
        ++counts_.enum_values_renumbered;
      }
    });
    if (ids.empty()) return;
    auto replace = [&](const std::string& text) { return ids.Apply(text, counts_.references_replaced); };
    com::Ref<vorlane::Functions> functions = process.Functions();
    for (int32_t i = 1, n = functions->Count(); i <= n; ++i) {
      com::Ref<vorlane::ProcFunction> function = functions->Item(com::Variant(i));
      if (auto data = replace(function->Data())) function->SetData(*data);
      com::Ref<vorlane::PassStates> states = function->States();
      for (int32_t k = 1, m = states->Count(); k <= m; ++k) {
        com::Ref<vorlane::PassState> state = states->Item(com::Variant(k));
        if (auto data = replace(state->Data())) state->SetData(*data);
      }
    }
    ForEachRow(variables, [&](ostrel::Row& row) { EditValueText(row, kVariableSpare, replace); });
    ForEachRow(values, [&](ostrel::Row& row) { EditValueText(row, kValueSpare, replace); });
  }

  // Each function through its type's class, and the sub-processes that
  // functions run, converted where they stand in the list.
  void Functions(const com::Ref<vorlane::Process>& process, com::Unknown* progress) {
    com::Ref<vorlane::Functions> functions = process->Functions();
    std::vector<std::string> ids;
    for (int32_t i = 1, n = functions->Count(); i <= n; ++i) ids.push_back(functions->Item(com::Variant(i))->ID());
    if (progress) {
      com::SetProperty(progress, "Min", com::Variant(int32_t{0}));
      com::SetProperty(progress, "Max", com::Variant(static_cast<int32_t>(ids.size())));
    }
    com::Ref<vorlane::DictFunctions> types = library_->Dictionary()->Functions();
    int32_t done = 0;
    for (const std::string& id : ids) {
      com::Ref<vorlane::ProcFunction> function = functions->Item(com::Variant(id));
      const std::string type = function->TypeID();
      if (com::Ref<ostrel::FunctionConversion> conversion = ConversionOf(*types, type)) {
        if (auto user = com::Query<ostrel::SessionUser>(conversion.get())) user->SetSession(library_->Connection());
        conversion->ConvertFunction(AsVariant(process.get()), id);
        ++counts_.functions_converted;
      }
      if (text::EqualNoCase(type, kSubProcessType)) SubProcess(*process, function->WeakCardID());
      ++done;
      if (progress) com::SetProperty(progress, "Value", com::Variant(done));
    }
  }

  // The conversion interface of the function type's class; null when the
  // type, its class or the interface is missing (the function is skipped).
  com::Ref<ostrel::FunctionConversion> ConversionOf(vorlane::DictFunctions& types, const std::string& type) {
    try {
      const std::string progid = types.Item(com::Variant(type))->UIClass();
      if (progid.empty()) return {};
      return com::Query<ostrel::FunctionConversion>(com::CreateObject(progid));
    } catch (const com::Error&) {
      // Skipped: a type that is not in the dictionary, or a class that
      // cannot be made, leaves its functions as they are.
      return {};
    }
  }

  void SubProcess(vorlane::Process& parent, const std::string& card_id) {
    if (card_id.empty()) return;
    com::Ref<ostrel::CardManager> cards = session_->GetCardManager();
    if (cards->GetCardStatus(card_id) != 1) return;
    com::Ref<vorlane::Process> sub = library_->GetProcess(card_id, parent.IsTemplate());
    if (Process(sub, cards->GetCardData(card_id), nullptr)) ++counts_.sub_processes_converted;
  }

  void AddNullGate(vorlane::Process& process) {
    com::Ref<vorlane::Gates> gates = process.Gates();
    for (int32_t i = 1, n = gates->Count(); i <= n; ++i) {
      if (text::EqualNoCase(gates->Item(com::Variant(i))->TypeID(), kNullGateType)) return;
    }
    com::Ref<vorlane::DictGate> type;
    try {
      type = library_->Dictionary()->Gates()->Item(com::Variant(kNullGateType));
    } catch (const com::Error&) {
      // A dictionary without the null gate type: nothing is added.
      return;
    }
    if (!type) return;
    com::Ref<vorlane::Gate> gate = gates->AddNew();
    gate->SetCaption(type->Name());
    gate->SetTypeID(type->ID());
    counts_.null_gate_added = true;
  }

  com::Ref<vorlane::Library> library_;
  com::Unknown* pellory_;
  ProcessConverter::Counts& counts_;
  com::Ref<ostrel::Session> session_;
  std::set<std::string> seen_;  // processes of this run, upper-case IDs
};

}  // namespace

bool IsCurrent(const std::string& version, int32_t build) { return version == kCurrentVersion && build >= kCurrentBuild; }

const com::TypeInfo& ProcessConverterApi::DispatchInfo() {
  using C = ProcessConverterApi;
  static const com::TypeInfo info =
      com::Describe<C>("_cProcessConverter")
          .Method("Convert", &C::Convert,
                  {com::Arg("Library"), com::Arg("Process"), com::Arg("Pellory"), com::Arg("ProcessData"),
                   com::Optional("ProgressBar", com::Variant())})
          .Get("FromVersion", &C::FromVersion)
          .Get("FromBuild", &C::FromBuild)
          .Get("Converted", &C::Converted)
          .Get("ValuesUnprefixed", &C::ValuesUnprefixed)
          .Get("ValuesRetyped", &C::ValuesRetyped)
          .Get("EnumValuesRenumbered", &C::EnumValuesRenumbered)
          .Get("ReferencesReplaced", &C::ReferencesReplaced)
          .Get("FunctionsConverted", &C::FunctionsConverted)
          .Get("SubProcessesConverted", &C::SubProcessesConverted)
          .Get("NullGateAdded", &C::NullGateAdded)
          .Build();
  return info;
}

void ProcessConverter::Convert(const com::Variant& library, const com::Variant& process, const com::Variant& pellory,
                               const com::Variant& process_data, const com::Variant& progress_bar) {
  auto object = [](const com::Variant& v) { return v.IsObject() ? v.ToObject() : com::Ref<com::Unknown>(); };
  auto lib = com::Query<vorlane::Library>(object(library));
  auto proc = com::Query<vorlane::Process>(object(process));
  auto data = com::Query<ostrel::CardData>(object(process_data));
  if (!lib || !proc || !data) {
    throw com::Error(com::hr::kInvalidArg, "cProcessConverter",
                     "Convert needs the library, the process and the process card's data");
  }
  Run(lib, proc, object(pellory).get(), data, object(progress_bar).get());
}

void ProcessConverter::Run(const com::Ref<vorlane::Library>& library, const com::Ref<vorlane::Process>& process,
                           com::Unknown* pellory, const com::Ref<ostrel::CardData>& process_data,
                           com::Unknown* progress_bar) {
  counts_ = {};
  from_version_ = process->Version();
  from_build_ = process->BuildNumber();
  Conversion run(library, pellory, counts_);
  converted_ = run.Process(process, process_data, progress_bar);
}

void CheckVariables(const com::Ref<vorlane::Library>& library, const com::Ref<vorlane::Process>& process,
                    com::Unknown* pellory) {
  com::Ref<com::Unknown> service = com::CreateObject("QXDesigner.VariableService");
  const com::Variant init[] = {library->Connection(), AsVariant(pellory), AsVariant(library.get()),
                               AsVariant(process.get()), com::Variant(0)};
  com::CallMethod(service.get(), "Initialize", init);
  com::Ref<vorlane::Variables> variables = process->Variables();
  for (int32_t i = 1, n = variables->Count(); i <= n; ++i) {
    const com::Variant id[] = {com::Variant(variables->Item(com::Variant(i))->ID())};
    com::CallMethod(service.get(), "CheckVariable", id);
  }
}

}  // namespace card
