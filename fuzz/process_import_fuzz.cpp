// Imports a document as a process, as a user's file would be imported. What
// the import takes, the object model must read whole (functions, gates,
// links, variables and their values) and export, and the export must import
// again: a document is either refused with a com::Error, or it becomes a
// process that behaves like any other.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "embedded/store/open.h"
#include "fuzz/fuzz_check.h"
#include "objects/core/card_layout.h"
#include "objects/exchange/process_import_export_object.h"
#include "objects/process/process_object.h"
#include "platform/ostrel/card_manager.h"
#include "vorlane/enum_values.h"
#include "vorlane/functions.h"
#include "vorlane/gates.h"
#include "vorlane/links.h"
#include "vorlane/pass_states.h"
#include "vorlane/values.h"
#include "vorlane/variables.h"

namespace {

using com::Variant;
using vorlane::ProcessObject;

struct World {
  std::shared_ptr<embedded::Store> store;
  com::Ref<ostrel::Session> session;
  size_t imports = 0;

  // A new store now and then, so that the cards that imports embed do not
  // pile up over a long run.
  void Renew() {
    session = nullptr;
    store = embedded::Store::Open();
    session = embedded::Open({.store = store, .account = "fuzz"});
    imports = 0;
  }
};

World& TheWorld() {
  static World world = [] {
    World w;
    w.Renew();
    return w;
  }();
  if (++world.imports > 500) world.Renew();
  return world;
}

com::Ref<ostrel::CardData> NewProcessCard(World& w) {
  return w.session->GetCardManager()->CreateCardData(vorlane::layout::kProcessCardType,
                                                     ostrel::create_flag::kTemplate);
}

// Reads every part of the process through the object model.
void ReadWhole(ProcessObject& p) {
  std::string sink = p.Name() + p.Description() + p.Version() + p.Digest();
  auto functions = p.Functions();
  for (int32_t i = 1, n = functions->Count(); i <= n; ++i) {
    auto f = functions->Item(Variant(i));
    sink += f->ID() + f->Caption() + f->Description() + f->TypeID() + f->CardID() + f->WeakCardID() + f->Data();
    sink += std::to_string(f->XPos() + f->YPos() + f->Width() + f->Height() + f->PoolingInterval());
    auto states = f->States();
    for (int32_t s = 1, m = states->Count(); s <= m; ++s) sink += states->Item(Variant(s))->Data();
  }
  auto gates = p.Gates();
  for (int32_t i = 1, n = gates->Count(); i <= n; ++i) {
    auto g = gates->Item(Variant(i));
    sink += g->ID() + g->Caption() + g->TypeID() + g->Data();
  }
  auto links = p.Links();
  for (int32_t i = 1, n = links->Count(); i <= n; ++i) {
    auto l = links->Item(Variant(i));
    sink += l->ID() + l->Caption() + l->Source() + l->Destination() + l->Points();
    sink += std::to_string(static_cast<int>(l->LinkType())) + std::to_string(l->Disabled());
  }
  auto variables = p.Variables();
  for (int32_t i = 1, n = variables->Count(); i <= n; ++i) {
    auto v = variables->Item(Variant(i));
    sink += v->ID() + v->Name() + v->Description() + v->GateID();
    sink += std::to_string(static_cast<int>(v->VarType())) + std::to_string(v->IsMultipleValued());
    auto enums = v->EnumValues();
    for (int32_t e = 1, m = enums->Count(); e <= m; ++e) sink += enums->Item(Variant(e))->Value();
    auto values = v->Values();
    for (int32_t e = 1, m = values->Count(); e <= m; ++e) sink += com::DebugString(values->Item(Variant(e))->GetValue());
  }
  fuzz::Keep(sink);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  World& w = TheWorld();
  const std::string text(reinterpret_cast<const char*>(data), size);
  auto io = com::Make<vorlane::ProcessImportExportObject>();
  auto card = NewProcessCard(w);
  try {
    io->DeserializeProcess(w.session, card, text, "", nullptr);
  } catch (const com::Error&) {
    return 0;  // refused: that is what a bad document gets
  }
  fuzz::MustNotFail("reading the imported process", [&] {
    auto process = com::Make<ProcessObject>();
    process->Initialize(card);
    ReadWhole(*process);
  });
  std::string exported;
  fuzz::MustNotFail("exporting the imported process", [&] { exported = io->SerializeProcess(w.session, card); });
  fuzz::MustNotFail("importing the export again", [&] {
    io->DeserializeProcess(w.session, NewProcessCard(w), exported, "", nullptr);
  });
  return 0;
}
