// The process graph over the embedded store: the first read of a large
// function list, and one property read by each road a client can take.
#include <benchmark/benchmark.h>

#include "embedded/store/open.h"
#include "objects/core/card_layout.h"
#include "objects/process/process_object.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/row_collection.h"
#include "platform/ostrel/section.h"
#include "platform/ostrel/section_collection.h"

namespace {

using com::Variant;

struct Graph {
  com::Ref<ostrel::Session> session;
  com::Ref<ostrel::CardData> card;

  explicit Graph(int functions) {
    session = embedded::Open({});
    card = session->GetCardManager()->CreateCardData(vorlane::layout::kProcessCardType, 1);
    auto rows = card->GetSections()->Item(vorlane::layout::kFunctions)->GetRows();
    com::Query<ostrel::CardUpdate>(card)->BeginUpdate();
    for (int i = 0; i < functions; ++i) {
      auto row = rows->AddNew(0);
      row->SetField("ID", Variant(com::Guid::Generate().ToString()));
      row->SetField("Caption", Variant("Step " + std::to_string(i)));
    }
    com::Query<ostrel::CardUpdate>(card)->EndUpdate();
  }
  com::Ref<vorlane::ProcessObject> Process() const {
    auto p = com::Make<vorlane::ProcessObject>();
    p->Initialize(card);
    return p;
  }
};

// What a client waits for when it first asks how many functions there are:
// the process object made and its list read. Letting the list go again,
// when the process object goes, is timed on its own below.
void BM_FirstCountOf10000Functions(benchmark::State& state) {
  Graph graph(10000);
  for (auto _ : state) {
    auto process = graph.Process();
    benchmark::DoNotOptimize(process->Functions()->Count());
    state.PauseTiming();
    process.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_FirstCountOf10000Functions)->Unit(benchmark::kMillisecond);

void BM_ReleaseOf10000Functions(benchmark::State& state) {
  Graph graph(10000);
  for (auto _ : state) {
    state.PauseTiming();
    auto process = graph.Process();
    benchmark::DoNotOptimize(process->Functions()->Count());
    state.ResumeTiming();
    process.reset();
  }
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_ReleaseOf10000Functions)->Unit(benchmark::kMillisecond);

struct OneFunction {
  Graph graph{1};
  com::Ref<vorlane::ProcessObject> process = graph.Process();
  com::Ref<vorlane::ProcFunction> function = process->Functions()->Item(Variant(1));
  com::Ref<ostrel::Row> row = graph.card->GetSections()->Item(vorlane::layout::kFunctions)->GetRows()->Item(Variant(0));
};

void BM_CaptionRawGetField(benchmark::State& state) {
  OneFunction f;
  for (auto _ : state) benchmark::DoNotOptimize(f.row->GetField("Caption"));
}
BENCHMARK(BM_CaptionRawGetField);

void BM_CaptionTypedApi(benchmark::State& state) {
  OneFunction f;
  for (auto _ : state) benchmark::DoNotOptimize(f.function->Caption());
}
BENCHMARK(BM_CaptionTypedApi);

void BM_CaptionDispatchById(benchmark::State& state) {
  OneFunction f;
  com::Ref<com::Dispatch> d(static_cast<com::Dispatch*>(f.function.get()));
  com::DispId id = d->GetIDOfName("Caption");
  for (auto _ : state) benchmark::DoNotOptimize(d->Invoke(id, com::kInvokeGet, {}));
}
BENCHMARK(BM_CaptionDispatchById);

void BM_CaptionDispatchByName(benchmark::State& state) {
  OneFunction f;
  com::Unknown* u = static_cast<vorlane::ProcFunction*>(f.function.get());
  for (auto _ : state) benchmark::DoNotOptimize(com::GetProperty(u, "Caption"));
}
BENCHMARK(BM_CaptionDispatchByName);

}  // namespace
