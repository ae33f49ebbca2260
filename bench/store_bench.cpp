// The card store's own costs: a field read and write on a row beside a
// plain hash-map look-up of the same name, adding 100,000 rows, and the XML
// form of a process card of 10,000 functions.
#include <benchmark/benchmark.h>

#include <string>
#include <unordered_map>

#include "embedded/store/open.h"
#include "platform/ostrel/card_types.h"
#include "platform/ostrel/card_data.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/card_update.h"
#include "platform/ostrel/row.h"
#include "platform/ostrel/row_collection.h"
#include "platform/ostrel/section.h"
#include "platform/ostrel/section_collection.h"

namespace {

using com::Variant;

constexpr const char* kProcessType = ostrel::card_type::kProcess;
constexpr const char* kFunctions = "{10105dc1-8b61-4a76-b719-02d679662606}";

// The fields a function row holds, as a plain map holds them.
const char* const kFunctionFields[] = {"ID",        "Caption",   "Description", "TypeID",     "CardID",
                                       "WeakCardID", "ErrDescriptionVarID", "ErrCodeVarID", "Data",
                                       "UseSparedData", "XPos", "YPos", "Width", "Height"};

struct Card {
  com::Ref<ostrel::Session> session = embedded::Open({});
  com::Ref<ostrel::CardData> card = session->GetCardManager()->CreateCardData(kProcessType, 1);
  com::Ref<ostrel::CardUpdate> update = com::Query<ostrel::CardUpdate>(card);
  com::Ref<ostrel::RowCollection> functions = card->GetSections()->Item(kFunctions)->GetRows();

  void AddFunctions(int n) {
    update->BeginUpdate();
    for (int i = 0; i < n; ++i) {
      com::Ref<ostrel::Row> row = functions->AddNew(0);
      row->SetField("ID", Variant(com::Guid::Generate().ToString()));
      row->SetField("Caption", Variant("Step " + std::to_string(i)));
      row->SetField("TypeID", Variant("{2B262D6F-6195-44DE-A0CC-A60129BBCF99}"));
      row->SetField("XPos", Variant(120.5 + i));
      row->SetField("YPos", Variant(40.25));
    }
    update->EndUpdate();
  }
};

std::unordered_map<std::string, Variant> FunctionMap() {
  std::unordered_map<std::string, Variant> map;
  for (const char* name : kFunctionFields) map[name] = Variant::Null();
  map["Caption"] = Variant("Step 0");
  map["XPos"] = Variant(120.5);
  return map;
}

void BM_RowGetField(benchmark::State& state) {
  Card c;
  c.AddFunctions(1);
  com::Ref<ostrel::Row> row = c.functions->Item(Variant(0));
  for (auto _ : state) benchmark::DoNotOptimize(row->GetField("Caption"));
}
BENCHMARK(BM_RowGetField);

void BM_HashMapGet(benchmark::State& state) {
  auto map = FunctionMap();
  const std::string name = "Caption";
  for (auto _ : state) benchmark::DoNotOptimize(Variant(map.find(name)->second));
}
BENCHMARK(BM_HashMapGet);

// Inside a bracket, as a user's edit is: each value differs from the last,
// so that every call is a change the card tracks.
void BM_RowSetField(benchmark::State& state) {
  Card c;
  c.AddFunctions(1);
  com::Ref<ostrel::Row> row = c.functions->Item(Variant(0));
  c.update->BeginUpdate();
  double x = 0;
  for (auto _ : state) row->SetField("XPos", Variant(x += 1));
  c.update->CancelUpdate();
}
BENCHMARK(BM_RowSetField);

void BM_HashMapSet(benchmark::State& state) {
  auto map = FunctionMap();
  const std::string name = "XPos";
  double x = 0;
  for (auto _ : state) {
    map.find(name)->second = Variant(x += 1);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_HashMapSet);

// AddNew of 100,000 rows in one bracket; the write that ends it apart.
void BM_AddNew100000Rows(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    {
      Card c;
      c.update->BeginUpdate();
      state.ResumeTiming();
      for (int i = 0; i < 100000; ++i) benchmark::DoNotOptimize(c.functions->AddNew(0));
      state.PauseTiming();
      c.update->CancelUpdate();
    }
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_AddNew100000Rows)->Unit(benchmark::kMillisecond);

void BM_AddNew100000RowsAndWrite(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    {
      Card c;
      state.ResumeTiming();
      c.update->BeginUpdate();
      for (int i = 0; i < 100000; ++i) benchmark::DoNotOptimize(c.functions->AddNew(0));
      c.update->EndUpdate();
      state.PauseTiming();
    }
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_AddNew100000RowsAndWrite)->Unit(benchmark::kMillisecond);

void BM_GetXMLOf10000Functions(benchmark::State& state) {
  Card c;
  c.AddFunctions(10000);
  size_t bytes = 0;
  for (auto _ : state) {
    std::string xml = c.card->GetXML(false);
    bytes = xml.size();
    benchmark::DoNotOptimize(xml);
  }
  state.counters["bytes"] = static_cast<double>(bytes);
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_GetXMLOf10000Functions)->Unit(benchmark::kMillisecond);

}  // namespace
