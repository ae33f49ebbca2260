// The cost of a process's variables: reading the list of 10,000 variables
// from the card, and writing a value that one connected sink is told of.
#include <benchmark/benchmark.h>

#include "embedded/store/open.h"
#include "objects/process/process_object.h"
#include "platform/com/describe.h"
#include "platform/ostrel/card_types.h"

namespace {

constexpr const char* kProcessCardType = ostrel::card_type::kProcess;

// A process over a new card of a store in memory.
com::Ref<vorlane::ProcessObject> NewProcess() {
  com::Ref<ostrel::Session> session = embedded::Open();
  com::Ref<ostrel::CardData> card = session->GetCardManager()->CreateCardData(kProcessCardType, 0);
  com::Ref<vorlane::ProcessObject> process = com::Make<vorlane::ProcessObject>();
  process->Initialize(card);
  return process;
}

// A sink that counts the changes it hears of.
class CountingSink final : public com::Object<vorlane::VariableNotificatorEvents> {
 public:
  void ValueChanged(const std::string&) override { ++changes; }
  void VariableRemoved(const std::string&) override {}
  int64_t changes = 0;
};

void BM_VariablesLoad(benchmark::State& state) {
  com::Ref<vorlane::ProcessObject> process = NewProcess();
  const int32_t rows = static_cast<int32_t>(state.range(0));
  com::Ref<vorlane::Variables> variables = process->Variables();
  for (int32_t i = 0; i < rows; ++i) variables->AddNew()->SetName("v" + std::to_string(i));
  for (auto _ : state) {
    // Drops the cached list (the card stays loaded); the next request reads
    // every row again with new wrappers.
    process->Refresh(false);
    benchmark::DoNotOptimize(process->Variables()->Count());
  }
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_VariablesLoad)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ValueWriteNotified(benchmark::State& state) {
  com::Ref<vorlane::ProcessObject> process = NewProcess();
  com::Ref<CountingSink> sink = com::Make<CountingSink>();
  com::Advise(process->Notificator().get(), vorlane::VariableNotificatorEvents::kIID, com::Ref<com::Dispatch>(sink.get()));
  com::Ref<vorlane::Variable> variable = process->Variables()->AddNew();
  variable->SetVarType(vorlane::VarTypeEnum::Integer);
  int32_t i = 0;
  // Every write differs from the one before, so every write is told.
  for (auto _ : state) variable->SetValue(com::Variant(++i));
  if (sink->changes != state.iterations()) state.SkipWithError("a change was not told");
}
BENCHMARK(BM_ValueWriteNotified);

}  // namespace
