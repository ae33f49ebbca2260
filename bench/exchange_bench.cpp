// The XML exchange of large processes over the embedded store, beside the
// floor it stands on: pugixml parsing and saving the same text in the same
// run. SerializeProcess reads the card's platform form (written straight
// into a string) and splices the linked cards into its text;
// DeserializeProcess parses, checks and writes every row into a new card
// inside one update bracket.
#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "embedded/store/open.h"
#include "objects/core/card_layout.h"
#include "objects/exchange/process_import_export_object.h"
#include "platform/com/collection.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/card_type.h"
#include "platform/ostrel/card_update.h"
#include "platform/ostrel/field_type.h"
#include "platform/ostrel/field_type_codes.h"
#include "platform/ostrel/field_type_collection.h"
#include "platform/ostrel/row.h"
#include "platform/ostrel/row_collection.h"
#include "platform/ostrel/section.h"
#include "platform/ostrel/section_collection.h"
#include "platform/ostrel/section_type.h"
#include "platform/ostrel/section_type_collection.h"
#include "platform/ostrel/sub_section.h"
#include "platform/ostrel/sub_section_collection.h"

namespace {

using com::Variant;
namespace layout = vorlane::layout;

// A process of `functions` functions as a designer makes them: caption,
// type, position and a settings text of a few hundred characters, one pass
// state each, a link from each function to the next, and one variable for
// every ten functions. With `linked`, every tenth function works on a
// document card of its own, which the export embeds.
struct BigProcess {
  com::Ref<ostrel::Session> session;
  com::Ref<ostrel::CardData> card;
  std::string xml;

  BigProcess(int functions, bool linked) {
    session = embedded::Open({});
    card = session->GetCardManager()->CreateCardData(layout::kProcessCardType, ostrel::create_flag::kTemplate);
    auto update = com::Query<ostrel::CardUpdate>(card);
    update->BeginUpdate();
    auto sections = card->GetSections();
    sections->Item(layout::kMainInfo)->GetFirstRow()->SetField("Name", Variant("Large process"));
    auto function_rows = sections->Item(layout::kFunctions)->GetRows();
    auto link_rows = sections->Item(layout::kLinks)->GetRows();
    auto variable_rows = sections->Item(layout::kVariables)->GetRows();
    std::string settings;
    for (int i = 0; i < 5; ++i) settings += "<Param Name=\"p" + std::to_string(i) + "\" Value=\"value of the step\"/>\n";
    std::string previous;
    for (int i = 0; i < functions; ++i) {
      const std::string id = com::Guid::Generate().ToString();
      auto row = function_rows->AddNew(0);
      row->SetField("ID", Variant(id));
      row->SetField("Caption", Variant("Step " + std::to_string(i)));
      row->SetField("Description", Variant("The step number " + std::to_string(i) + " of the process"));
      row->SetField("TypeID", Variant("{2B262D6F-6195-44DE-A0CC-A60129BBCF99}"));
      row->SetField("Data", Variant(settings));
      row->SetField("XPos", Variant(100.5 + i));
      row->SetField("YPos", Variant(200.25 + i));
      row->SetField("Width", Variant(int16_t{120}));
      row->SetField("Height", Variant(int16_t{60}));
      row->SetField("PoolingInterval", Variant(int32_t{60}));
      row->SetField("ReuseStep", Variant(true));
      auto pass = row->GetSubSections()->Item(layout::kPassStates)->GetRows()->AddNew(0);
      pass->SetField("ID", Variant(com::Guid::Generate().ToString()));
      pass->SetField("Pass", Variant(int32_t{1}));
      pass->SetField("State", Variant(int32_t{3}));
      if (!previous.empty()) {
        auto link = link_rows->AddNew(0);
        link->SetField("ID", Variant(com::Guid::Generate().ToString()));
        link->SetField("Source", Variant(previous));
        link->SetField("Destination", Variant(id));
        link->SetField("Points", Variant("10,20;30,40;50,60"));
      }
      if (linked && i % 10 == 0) {
        auto document = session->GetCardManager()->CreateCardData("{BFC9D190-BCD6-411A-B9F9-3160D3F68819}", 0);
        document->GetSections()->Item("{6ADF04A2-D4D1-41F4-8632-FBC62DD0562F}")->GetFirstRow()->SetField(
            "Name", Variant("Document " + std::to_string(i)));
        row->SetField("CardID", Variant(document->GetID()));
      }
      if (i % 10 == 0) {
        auto variable = variable_rows->AddNew(0);
        variable->SetField("ID", Variant(com::Guid::Generate().ToString()));
        variable->SetField("Name", Variant("Variable " + std::to_string(i)));
        variable->SetField("VarType", Variant(int32_t{1}));
        variable->SetField("Value", Variant(int32_t{i}));
      }
      previous = id;
    }
    update->EndUpdate();
    xml = com::Make<vorlane::ProcessImportExportObject>()->SerializeProcess(session, card);
  }
};

// One process per size for the whole run: building them is not measured.
const BigProcess& ProcessOf(const benchmark::State& state) {
  static std::map<std::pair<int64_t, int64_t>, std::unique_ptr<BigProcess>> made;
  auto& slot = made[{state.range(0), state.range(1)}];
  if (!slot) slot = std::make_unique<BigProcess>(static_cast<int>(state.range(0)), state.range(1) != 0);
  return *slot;
}

void SetBytes(benchmark::State& state, const BigProcess& p) {
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(p.xml.size()));
  state.counters["MB"] = static_cast<double>(p.xml.size()) / 1e6;
}

void BM_SerializeProcess(benchmark::State& state) {
  const BigProcess& p = ProcessOf(state);
  auto io = com::Make<vorlane::ProcessImportExportObject>();
  for (auto _ : state) benchmark::DoNotOptimize(io->SerializeProcess(p.session, p.card));
  SetBytes(state, p);
}

void BM_DeserializeProcess(benchmark::State& state) {
  const BigProcess& p = ProcessOf(state);
  auto io = com::Make<vorlane::ProcessImportExportObject>();
  auto cards = p.session->GetCardManager();
  for (auto _ : state) {
    state.PauseTiming();
    auto target = cards->CreateCardData(layout::kProcessCardType, ostrel::create_flag::kTemplate);
    auto created = com::Make<com::KeyedList>();
    state.ResumeTiming();
    io->DeserializeProcess(p.session, target, p.xml, "", created);
    state.PauseTiming();
    // The store is left as it was found: the card and the linked cards the
    // import made go, or every later case would run on a larger store.
    const std::string id = target->GetID();
    target.reset();
    cards->DeleteCard(id, true);
    for (int32_t i = 1; i <= created->Count(); ++i) cards->DeleteCard(created->Item(Variant(i)).ToText(), true);
    state.ResumeTiming();
  }
  SetBytes(state, p);
}

// The floor: pugixml alone on the same text.
void BM_PugixmlParse(benchmark::State& state) {
  const BigProcess& p = ProcessOf(state);
  for (auto _ : state) {
    pugi::xml_document doc;
    benchmark::DoNotOptimize(doc.load_buffer(p.xml.data(), p.xml.size()));
  }
  SetBytes(state, p);
}

class StringWriter final : public pugi::xml_writer {
 public:
  std::string out;
  void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
};

void BM_PugixmlSave(benchmark::State& state) {
  const BigProcess& p = ProcessOf(state);
  pugi::xml_document doc;
  doc.load_buffer(p.xml.data(), p.xml.size());
  for (auto _ : state) {
    StringWriter writer;
    doc.save(writer, "  ", pugi::format_indent | pugi::format_no_declaration);
    benchmark::DoNotOptimize(writer.out);
  }
  SetBytes(state, p);
}

// The card's own platform form, which every export starts from.
void BM_CardGetXML(benchmark::State& state) {
  const BigProcess& p = ProcessOf(state);
  for (auto _ : state) benchmark::DoNotOptimize(p.card->GetXML(false));
  SetBytes(state, p);
}

// The store's own part of an import: the same rows added and their fields
// set through the platform's calls in one bracket, with no XML at all. The
// rows are read from the document beforehand, each value in its field's
// type as the import hands it over, so only the writes count.
void BM_StoreWritesTheSameRows(benchmark::State& state) {
  const BigProcess& p = ProcessOf(state);
  struct Row {
    std::vector<std::pair<std::string, Variant>> fields;
    std::vector<Row> pass_states;
  };
  auto typed = [](ostrel::SectionType& type, const std::string& field, const char* text) {
    const int code = type.GetFieldTypes()->Item(Variant(field))->GetType();
    const ostrel::FieldTypeCode* c = ostrel::FindFieldTypeCode(code);
    if (c && !c->xml_type.empty()) {
      if (std::optional<Variant> v = ostrel::FromXmlText(text, c->xml_type)) return std::move(*v);
    }
    return Variant(std::string(text));
  };
  auto read = [&](pugi::xml_node el, ostrel::SectionType& type) {
    Row r;
    for (pugi::xml_attribute a = el.first_attribute(); a; a = a.next_attribute()) {
      std::string_view name = a.name();
      if (name == "RowID" || name.starts_with("_Type_")) continue;
      r.fields.emplace_back(a.name(), typed(type, a.name(), a.value()));
    }
    return r;
  };
  auto types = p.card->GetCardType()->GetSectionTypes();
  auto pass_type = types->Item(Variant("Functions"))->GetSubSectionTypes()->Item(Variant("PassStates"));
  std::map<std::string, std::vector<Row>> sections;
  pugi::xml_document doc;
  doc.load_buffer(p.xml.data(), p.xml.size());
  pugi::xml_node process = doc.child("Data").child("Process");
  for (const char* name : {"Functions", "Links", "Variables"}) {
    const std::string row_name = std::string(name) + "Row";
    auto type = types->Item(Variant(name));
    for (pugi::xml_node el = process.child(name).child(row_name.c_str()); el; el = el.next_sibling(row_name.c_str())) {
      Row r = read(el, *type);
      for (pugi::xml_node ps = el.child("PassStates").child("PassStatesRow"); ps; ps = ps.next_sibling("PassStatesRow")) {
        r.pass_states.push_back(read(ps, *pass_type));
      }
      sections[name].push_back(std::move(r));
    }
  }
  const std::map<std::string, const char*> ids = {
      {"Functions", layout::kFunctions}, {"Links", layout::kLinks}, {"Variables", layout::kVariables}};
  auto cards = p.session->GetCardManager();
  for (auto _ : state) {
    state.PauseTiming();
    auto target = cards->CreateCardData(layout::kProcessCardType, ostrel::create_flag::kTemplate);
    state.ResumeTiming();
    auto update = com::Query<ostrel::CardUpdate>(target);
    update->BeginUpdate();
    auto all = target->GetSections();
    for (const auto& [name, rows] : sections) {
      auto container = all->Item(ids.at(name))->GetRows();
      for (const Row& r : rows) {
        auto row = container->AddNew(0);
        for (const auto& [field, value] : r.fields) row->SetField(field, value);
        if (r.pass_states.empty()) continue;
        auto passes = row->GetSubSections()->Item(layout::kPassStates)->GetRows();
        for (const Row& ps : r.pass_states) {
          auto pass = passes->AddNew(0);
          for (const auto& [field, value] : ps.fields) pass->SetField(field, value);
        }
      }
    }
    update->EndUpdate();
    state.PauseTiming();
    // The card goes with its last reference, which the section collection
    // holds: dropped here, as DeserializeProcess's card is, untimed.
    const std::string id = target->GetID();
    all.reset();
    update.reset();
    target.reset();
    cards->DeleteCard(id, true);
    state.ResumeTiming();
  }
  SetBytes(state, p);
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"functions", "linked"});
  for (int64_t functions : {1000, 10000}) b->Args({functions, 0});
  b->Args({10000, 1});
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_PugixmlParse)->Apply(Sizes);
BENCHMARK(BM_PugixmlSave)->Apply(Sizes);
BENCHMARK(BM_CardGetXML)->Apply(Sizes);
BENCHMARK(BM_SerializeProcess)->Apply(Sizes);
BENCHMARK(BM_DeserializeProcess)->Apply(Sizes);
BENCHMARK(BM_StoreWritesTheSameRows)->Apply(Sizes);

}  // namespace
