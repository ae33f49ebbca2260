// The text of a search query, as a client or a browser sends it: read, then
// written back, it must read as the same query; and searching a store with
// it either fails with a com::Error or finds cards.
#include <cstdint>
#include <string>

#include "embedded/search/query_text.h"
#include "embedded/store/open.h"
#include "fuzz/fuzz_check.h"
#include "objects/core/card_layout.h"
#include "platform/com/collection.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/row.h"
#include "platform/ostrel/section.h"
#include "platform/ostrel/section_collection.h"

namespace {

// A store with a few cards of two types for the queries to look through.
com::Ref<ostrel::Session> Searched() {
  static com::Ref<ostrel::Session> session = [] {
    auto s = embedded::Open({.account = "fuzz"});
    auto cards = s->GetCardManager();
    for (const char* name : {"Invoice", "Contract 12", ""}) {
      auto card = cards->CreateCardData(vorlane::layout::kProcessCardType, ostrel::create_flag::kTemplate);
      card->GetSections()->Item(vorlane::layout::kMainInfo)->GetFirstRow()->SetField("Name", com::Variant(name));
    }
    return s;
  }();
  return session;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  embedded::search::QuerySpec query;
  try {
    query = embedded::search::ParseQuery(text);
  } catch (const com::Error&) {
    return 0;
  }
  for (bool indented : {false, true}) {
    const std::string written = embedded::search::RenderQuery(query, indented);
    embedded::search::QuerySpec again;
    fuzz::MustNotFail("reading a query written from one read", [&] { again = embedded::search::ParseQuery(written); });
    fuzz::Check(embedded::search::RenderQuery(again, indented) == written, "a query reads back as another", written);
  }
  try {
    fuzz::Keep(std::to_string(Searched()->GetCardManager()->FindCards(std::string(text))->Count()));
  } catch (const com::Error&) {
  }
  return 0;
}
