// The cost of the library's lists and of the log: Templates.Count over a
// store of 10,000 process cards (one search, then a Process per template
// found), and a LogReader over a log of 100,000 messages against the live
// LogMessages list of the same log. Memory is reported as the process's
// resident set after the data is made and at its peak.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <fstream>
#include <string>

#include "embedded/store/open.h"
#include "objects/core/card_layout.h"
#include "objects/library/library_object.h"
#include "platform/ostrel/card_data.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/card_update.h"
#include "platform/ostrel/row.h"
#include "platform/ostrel/row_collection.h"
#include "platform/ostrel/section.h"
#include "platform/ostrel/section_collection.h"

namespace {

using vorlane::layout::kProcessCardType;

// Resident memory now and at its peak, in MiB, from the kernel's own count.
double ResidentMiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0;
}
double PeakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A store holding `cards` process cards, every other one a template.
std::shared_ptr<embedded::Store> StoreOfProcessCards(int cards) {
  auto store = embedded::Store::Open();
  com::Ref<ostrel::Session> session = embedded::Open({.store = store});
  com::Ref<ostrel::CardManager> manager = session->GetCardManager();
  for (int i = 0; i < cards; ++i) {
    manager->CreateCardData(kProcessCardType, i % 2 == 0 ? ostrel::create_flag::kTemplate : 0);
  }
  return store;
}

void BM_TemplatesCount(benchmark::State& state) {
  const int cards = static_cast<int>(state.range(0));
  static std::shared_ptr<embedded::Store> store = StoreOfProcessCards(cards);
  state.counters["rss_after_setup_MiB"] = ResidentMiB();
  int32_t listed = 0;
  for (auto _ : state) {
    // A new session opens every card it finds afresh, as a new client does.
    auto library = com::Make<vorlane::LibraryObject>();
    library->SetConnection(com::Variant(embedded::Open({.store = store})));
    listed = library->Templates()->Count();
    benchmark::DoNotOptimize(listed);
  }
  if (listed != cards / 2) state.SkipWithError("the search did not find every template");
  state.SetItemsProcessed(state.iterations() * listed);
  state.counters["peak_rss_MiB"] = PeakMiB();
}
BENCHMARK(BM_TemplatesCount)->Arg(10000)->Unit(benchmark::kMillisecond);

// A process card whose log holds `messages` messages, written in one bracket.
com::Ref<vorlane::ProcessObject> ProcessWithLog(int messages) {
  com::Ref<ostrel::Session> session = embedded::Open();
  com::Ref<ostrel::CardData> card = session->GetCardManager()->CreateCardData(kProcessCardType, 0);
  auto update = com::Query<ostrel::CardUpdate>(card);
  update->BeginUpdate();
  com::Ref<ostrel::RowCollection> rows = card->GetSections()->Item(vorlane::layout::kLogMessages)->GetRows();
  const com::Date now = com::Now();
  for (int i = 0; i < messages; ++i) {
    com::Ref<ostrel::Row> row = rows->AddNew(0);
    row->SetField("ActionType", com::Variant(int32_t{2}));
    row->SetField("Action", com::Variant("Step " + std::to_string(i)));
    row->SetField("FunctionName", com::Variant("Approve"));
    row->SetField("MessageDate", com::Variant(now));
    row->SetField("Message", com::Variant("The step was done by the responsible person."));
  }
  update->EndUpdate();
  auto process = com::Make<vorlane::ProcessObject>();
  process->Initialize(card);
  return process;
}

void BM_LogReaderReadAll(benchmark::State& state) {
  const int messages = static_cast<int>(state.range(0));
  static com::Ref<vorlane::ProcessObject> process = ProcessWithLog(messages);
  state.counters["rss_after_setup_MiB"] = ResidentMiB();
  int32_t read = 0;
  for (auto _ : state) {
    com::Ref<vorlane::LogReader> reader = process->GetLogReader();
    while (reader->Read()) {
    }
    read = reader->ReadCount();
    benchmark::DoNotOptimize(read);
  }
  if (read != messages) state.SkipWithError("the reader did not read every message");
  state.SetItemsProcessed(state.iterations() * read);
  state.counters["peak_rss_MiB"] = PeakMiB();
}
BENCHMARK(BM_LogReaderReadAll)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same log through the live list, for comparison: one wrapper per row,
// each property a field read.
void BM_LogMessagesReadAll(benchmark::State& state) {
  const int messages = static_cast<int>(state.range(0));
  static com::Ref<vorlane::ProcessObject> process = ProcessWithLog(messages);
  size_t chars = 0;
  for (auto _ : state) {
    process->Refresh(false);
    com::Ref<vorlane::LogMessages> log = process->LogMessages();
    const int32_t count = log->Count();
    for (int32_t i = 1; i <= count; ++i) chars += log->Item(com::Variant(i))->Action().size();
    benchmark::DoNotOptimize(chars);
  }
  state.SetItemsProcessed(state.iterations() * messages);
  state.counters["peak_rss_MiB"] = PeakMiB();
}
BENCHMARK(BM_LogMessagesReadAll)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
