// The converter of old processes over a process as version 3.0 wrote it:
// `functions` Task functions whose settings (name=value lines) each name
// one of the 1,000 values of an enumeration variable by ID, beside the floor
// of importing the same document into a new template in the same run. The
// conversion runs as the tool runs it: by name, in a bracket of its own.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

#include "embedded/store/open.h"
#include "platform/com/registry.h"
#include "platform/ostrel/card_data.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/session.h"
#include "vorlane/library.h"
#include "vorlane/process.h"
#include "vorlane/process_import_export.h"
#include "vorlane/templates.h"

namespace {

using com::Variant;

constexpr int kEnumValues = 1000;

std::string Id(char kind, int n) {
  char text[40];
  std::snprintf(text, sizeof text, "{%c0000000-0000-0000-0000-%012d}", kind, n);
  return text;
}

// The document: prefixed, untyped values, enumeration values numbered out of
// order and named by ID from every function's settings, no null gate.
std::string OldDocument(int functions) {
  std::string xml =
      "<Data><Process CardTypeID=\"{AE82DD57-348C-4407-A50A-9F2C7D694DA8}\" Template=\"1\">"
      "<MainInfo Name=\"Large old process\" Version=\"3.0\" BuildNumber=\"1100\" Template=\"1\"><DocTypes/></MainInfo>"
      "<Functions>";
  for (int i = 0; i < functions; ++i) {
    xml += "<FunctionsRow ID=\"" + Id('F', i) + "\" Caption=\"Step " + std::to_string(i) +
           "\" TypeID=\"{2B262D6F-6195-44DE-A0CC-A60129BBCF99}\" XPos=\"" + std::to_string(100 + i % 100 * 150) +
           "\" YPos=\"" + std::to_string(100 + i / 100 * 100) + "\" Data=\"Performer=user" + std::to_string(i % 50) +
           "&#10;Priority=" + Id('E', i % kEnumValues) + "&#10;Days=" + std::to_string(i % 9 + 1) +
           "\"><PassStates/></FunctionsRow>";
  }
  xml += "</Functions><Gates/><Links>";
  for (int i = 1; i < functions; ++i) {
    xml += "<LinksRow ID=\"" + Id('C', i) + "\" Source=\"" + Id('F', i - 1) + "\" Destination=\"" + Id('F', i) + "\"/>";
  }
  xml += "</Links><Variables><VariablesRow ID=\"" + Id('B', 1) +
         "\" Name=\"Priority\" VarType=\"6\" Value=\"ENM:" + Id('E', 7) + "\"><Values/><EnumValues>";
  for (int k = 0; k < kEnumValues; ++k) {
    xml += "<EnumValuesRow ID=\"" + Id('E', k) + "\" Value=\"level " + std::to_string(kEnumValues - k + 1000) +
           "\" NumValue=\"" + std::to_string(k) + "\"/>";
  }
  xml += "</EnumValues><LogValues/></VariablesRow>";
  for (int v = 0; v < functions / 10; ++v) {
    xml += "<VariablesRow ID=\"" + Id('B', v + 2) + "\" Name=\"Amount " + std::to_string(v) +
           "\" VarType=\"1\" Value=\"INT:" + std::to_string(v * 10) + "\"><Values/><EnumValues/><LogValues/></VariablesRow>";
  }
  return xml + "</Variables><LogMessages/></Process></Data>";
}

struct Bench {
  com::Ref<ostrel::Session> session = embedded::Open({.account = "alice"});
  com::Ref<vorlane::Library> library;
  com::Ref<vorlane::ProcessImportExport> exchange =
      com::Query<vorlane::ProcessImportExport>(com::CreateObject("QXVorlane.ProcessImportExport"));
  std::string xml;

  explicit Bench(int functions) : xml(OldDocument(functions)) { library = NewLibrary(); }
  // A library of its own, as each run of the tool has.
  com::Ref<vorlane::Library> NewLibrary() {
    auto made = com::Query<vorlane::Library>(com::CreateObject("QXVorlane.Library"));
    made->SetConnection(Variant(com::Ref<com::Unknown>(static_cast<com::Unknown*>(session.get()))));
    return made;
  }
  // A new template holding the old process.
  std::string Import() {
    const std::string id = library->Templates()->AddNew()->ID();
    exchange->DeserializeProcess(session, session->GetCardManager()->GetCardData(id), xml, "", nullptr);
    return id;
  }
};

Bench& BenchOf(const benchmark::State& state) {
  static std::map<int64_t, std::unique_ptr<Bench>> made;
  auto& slot = made[state.range(0)];
  if (!slot) slot = std::make_unique<Bench>(static_cast<int>(state.range(0)));
  return *slot;
}

Variant AsVariant(com::Unknown* o) { return Variant(com::Ref<com::Unknown>(o)); }

void BM_ImportOldProcess(benchmark::State& state) {
  Bench& b = BenchOf(state);
  for (auto _ : state) benchmark::DoNotOptimize(b.Import());
  state.counters["MB"] = static_cast<double>(b.xml.size()) / 1e6;
}

void BM_ConvertOldProcess(benchmark::State& state) {
  Bench& b = BenchOf(state);
  int32_t replaced = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string id = b.Import();
    com::Ref<vorlane::Library> library = b.NewLibrary();
    com::Ref<vorlane::Process> process = library->GetProcess(id, true);
    com::Ref<com::Unknown> converter = com::CreateObject("QXProcess.cProcessConverter");
    const Variant args[] = {AsVariant(library.get()), AsVariant(process.get()), Variant::Null(),
                            AsVariant(b.session->GetCardManager()->GetCardData(id).get()), Variant::Null()};
    state.ResumeTiming();
    com::CallMethod(converter.get(), "Convert", args);
    state.PauseTiming();
    replaced = com::GetProperty(converter.get(), "ReferencesReplaced").ToI4();
    state.ResumeTiming();
  }
  if (replaced < state.range(0)) state.SkipWithError("not every reference was replaced");
  state.counters["references"] = replaced;
}

BENCHMARK(BM_ImportOldProcess)->ArgName("functions")->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertOldProcess)->ArgName("functions")->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
