// The card control over a large process on a store file, beside the floor
// it stands on in the same run: a new session opening the process and
// counting its functions. Activation runs from the host's Init to the end of
// Activate (the toolbar is up), in a new session each time, for the template
// and for an instance of it; a timer tick is measured on an open instance
// that nobody changes.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "embedded/host/scripted_host.h"
#include "embedded/store/open.h"
#include "objects/core/card_layout.h"
#include "platform/com/registry.h"
#include "platform/ostrel/card_data.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/card_update.h"
#include "platform/ostrel/row.h"
#include "platform/ostrel/row_collection.h"
#include "platform/ostrel/section.h"
#include "platform/ostrel/section_collection.h"
#include "platform/ostrel/session.h"
#include "vorlane/functions.h"
#include "vorlane/library.h"
#include "vorlane/process.h"

namespace {

using com::Variant;

using vorlane::layout::kFunctions;
using vorlane::layout::kLinks;
using vorlane::layout::kMainInfo;
using vorlane::layout::kProcessCardType;
constexpr const char* kStartType = "{2E0A9AAF-CC20-46CD-875E-F3987718C551}";
constexpr const char* kTaskType = "{2B262D6F-6195-44DE-A0CC-A60129BBCF99}";
constexpr const char* kCreators = "Korvessa Workflow Process Creators";

Variant AsVariant(com::Unknown* o) { return Variant(com::Ref<com::Unknown>(o)); }

// A store file in a folder of its own, holding a template of `functions`
// functions (a start function, then tasks in a chain, each placed and
// linked to the next) and one instance of it, made through the library.
class BigStore {
 public:
  explicit BigStore(int functions) {
    std::string pattern = (std::filesystem::temp_directory_path() / "vorlane-card-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    folder_ = pattern;
    store_ = embedded::Store::Open({.path = folder_ + "/bench.vorlane", .durability = embedded::Durability::kNormal});
    com::Ref<ostrel::Session> session = NewSession();
    com::Ref<ostrel::CardData> card =
        session->GetCardManager()->CreateCardData(kProcessCardType, ostrel::create_flag::kTemplate);
    auto update = com::Query<ostrel::CardUpdate>(card);
    update->BeginUpdate();
    com::Ref<ostrel::SectionCollection> sections = card->GetSections();
    sections->Item(kMainInfo)->GetFirstRow()->SetField("Name", Variant("Large process"));
    com::Ref<ostrel::RowCollection> function_rows = sections->Item(kFunctions)->GetRows();
    com::Ref<ostrel::RowCollection> link_rows = sections->Item(kLinks)->GetRows();
    std::string previous;
    for (int i = 0; i < functions; ++i) {
      const std::string id = com::Guid::Generate().ToString();
      com::Ref<ostrel::Row> row = function_rows->AddNew(0);
      row->SetField("ID", Variant(id));
      row->SetField("Caption", Variant("Step " + std::to_string(i)));
      row->SetField("TypeID", Variant(i == 0 ? kStartType : kTaskType));
      row->SetField("XPos", Variant(100.0 + 150 * (i % 100)));
      row->SetField("YPos", Variant(100.0 + 100 * (i / 100)));
      row->SetField("Width", Variant(int16_t{120}));
      row->SetField("Height", Variant(int16_t{60}));
      if (!previous.empty()) {
        com::Ref<ostrel::Row> link = link_rows->AddNew(0);
        link->SetField("ID", Variant(com::Guid::Generate().ToString()));
        link->SetField("Source", Variant(previous));
        link->SetField("Destination", Variant(id));
      }
      previous = id;
    }
    update->EndUpdate();
    template_id_ = card->GetID();
    instance_id_ = Library(session)->CreateProcess(template_id_)->ID();
  }
  ~BigStore() {
    store_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  BigStore(const BigStore&) = delete;
  BigStore& operator=(const BigStore&) = delete;

  // A new session: nothing of the process is open in it yet.
  com::Ref<ostrel::Session> NewSession() {
    return embedded::Open({.store = store_, .account = "alice", .groups = {kCreators}});
  }
  static com::Ref<vorlane::Library> Library(const com::Ref<ostrel::Session>& session) {
    auto library = com::Query<vorlane::Library>(com::CreateObject("QXVorlane.Library"));
    library->SetConnection(AsVariant(session.get()));
    return library;
  }
  const std::string& Id(bool is_template) const { return is_template ? template_id_ : instance_id_; }

 private:
  std::string folder_;
  std::shared_ptr<embedded::Store> store_;
  std::string template_id_;
  std::string instance_id_;
};

BigStore& StoreOf(const benchmark::State& state) {
  static std::unique_ptr<BigStore> made;
  static int64_t size = 0;
  if (!made || size != state.range(0)) {
    made.reset();
    made = std::make_unique<BigStore>(static_cast<int>(state.range(0)));
    size = state.range(0);
  }
  return *made;
}

// A card control in a scripted host, opened as a host opens a card.
struct HostedCard {
  com::Ref<embedded::ScriptedFrame> frame = com::Make<embedded::ScriptedFrame>(com::Make<embedded::ScriptedServices>());
  embedded::CardDriver driver{com::CreateObject("QXProcess.Card"), frame};

  // Whether the card took the activation.
  bool Open(const com::Ref<ostrel::Session>& session, const std::string& id) {
    return driver.Open(AsVariant(session.get()), AsVariant(session->GetCardManager()->GetCardData(id).get()), 1) ==
           0x4001;
  }
  // Whether the card told the person anything (an error among them).
  bool Spoke() const {
    for (const auto& call : frame->services().calls()) {
      if (call.member == "ShowMessage") return true;
    }
    return false;
  }
};

// The floor: what any client pays to see the process.
void BM_OpenAndCountFunctions(benchmark::State& state) {
  BigStore& store = StoreOf(state);
  const bool is_template = state.range(1) != 0;
  int32_t count = 0;
  for (auto _ : state) {
    state.PauseTiming();
    com::Ref<ostrel::Session> session = store.NewSession();
    state.ResumeTiming();
    count = BigStore::Library(session)->GetProcess(store.Id(is_template), is_template)->Functions()->Count();
    state.PauseTiming();
    session.reset();
    state.ResumeTiming();
  }
  if (count != state.range(0)) state.SkipWithError("the process does not hold every function");
}

void BM_CardActivate(benchmark::State& state) {
  BigStore& store = StoreOf(state);
  const bool is_template = state.range(1) != 0;
  for (auto _ : state) {
    state.PauseTiming();
    com::Ref<ostrel::Session> session = store.NewSession();
    auto card = std::make_unique<HostedCard>();
    state.ResumeTiming();
    const bool opened = card->Open(session, store.Id(is_template));
    state.PauseTiming();
    if (!opened) state.SkipWithError("the card refused the activation");
    card->driver.Close();
    card.reset();
    session.reset();
    state.ResumeTiming();
  }
}

// One tick of the card's timer on an instance that nobody changes: the
// card looks at the lock, the process's state and the buttons.
void BM_CardTimerTick(benchmark::State& state) {
  BigStore& store = StoreOf(state);
  com::Ref<ostrel::Session> session = store.NewSession();
  HostedCard card;
  if (!card.Open(session, store.Id(false))) state.SkipWithError("the card refused the activation");
  card.frame->services().ClearCalls();
  for (auto _ : state) card.driver.Tick();
  if (card.Spoke()) state.SkipWithError("a tick showed a message");
  card.driver.Close();
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"functions", "template"})->Unit(benchmark::kMillisecond);
  for (int64_t is_template : {1, 0}) b->Args({10000, is_template});
}

BENCHMARK(BM_OpenAndCountFunctions)->Apply(Sizes);
BENCHMARK(BM_CardActivate)->Apply(Sizes);
BENCHMARK(BM_CardTimerTick)->ArgNames({"functions"})->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
