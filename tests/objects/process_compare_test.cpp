// Comparing two versions of a process: exactly the differences planted
// between them, each in its kind, with geometry apart.
#include <sstream>

#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include "platform/com/registry.h"
#include "tests/objects/exchange_fixture.h"
#include "vorlane/process_compare.h"

namespace vorlane::testing {
namespace {

using com::Variant;
using Json = nlohmann::json;

class ProcessCompareTest : public ExchangeFixture {
 protected:
  Json Compare(const std::string& before, const std::string& after) {
    auto compare = com::Query<ProcessCompare>(com::CreateObject("QXVorlane.ProcessCompare"));
    return Json::parse(compare->Compare(before, after));
  }
  // "change kind caption: field, field" for each difference.
  static std::vector<std::string> Lines(const Json& diff) {
    std::vector<std::string> lines;
    for (const auto& d : diff["differences"]) {
      std::string line = d["change"].get<std::string>() + " " + d["kind"].get<std::string>() + " " +
                         d["caption"].get<std::string>() + ":";
      for (const auto& f : d["fields"]) line += " " + f["name"].get<std::string>();
      lines.push_back(line);
    }
    return lines;
  }
};

TEST_F(ProcessCompareTest, ListsExactlyThePlantedDifferences) {
  Sample s = BuildSample();
  const std::string before = io->SerializeProcess(session, card);
  EXPECT_TRUE(Compare(before, before)["differences"].empty());

  process->SetName("Согласование, v2");
  process->Functions()->Item(Variant(s.task))->SetCaption("Согласовать договор");
  process->Functions()->Item(Variant(s.start))->SetXPos(200);  // moved only
  auto added = process->Functions()->AddNew();
  added->SetTypeID(kTaskType);
  added->SetCaption("Проверить");
  process->Gates()->Remove(Variant(s.mail_gate));
  auto link = process->Links()->Item(Variant(1));
  link->SetLinkType(LinkTypeEnum::LinkFail);
  link->SetPoints("1,2;3,4");  // a geometry change beside a meaningful one
  process->Variables()->Item(Variant(s.number))->SetValue(Variant(42));
  const std::string after = io->SerializeProcess(session, card);

  const Json diff = Compare(before, after);
  EXPECT_EQ(Lines(diff), (std::vector<std::string>{
                             "changed process Согласование, v2: Name",
                             "moved function Начало: XPos",
                             "changed function Согласовать договор: Caption",
                             "added function Проверить:",
                             "removed gate :",
                             "changed link : LinkType Points",
                             "changed variable " + process->Variables()->Item(Variant(s.number))->Name() + ": Value",
                         }))
      << diff.dump(2);
  EXPECT_EQ(diff["counts"], (Json{{"added", 1}, {"removed", 1}, {"changed", 4}, {"moved", 1}}));
  const Json& moved = diff["differences"][1];
  EXPECT_EQ(moved["id"], s.start);
  EXPECT_EQ(moved["fields"][0], (Json{{"name", "XPos"}, {"before", "10.5"}, {"after", "200"}, {"layout", true}}));
  EXPECT_EQ(diff["differences"][5]["fields"][1]["layout"], true);
  EXPECT_EQ(diff["differences"][5]["fields"][0]["layout"], false);

  // The other way round, added and removed trade places.
  EXPECT_EQ(Compare(after, before)["counts"], (Json{{"added", 1}, {"removed", 1}, {"changed", 4}, {"moved", 1}}));
}

// A file that leaves out fields holding nothing (as files written by hand
// do) is the same process as the card's export that writes them all; a
// field left out where the other side holds something is a difference.
TEST_F(ProcessCompareTest, AFieldLeftOutIsItsEmptyValue) {
  BuildSample();
  const std::string exported = io->SerializeProcess(session, card);
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(exported.c_str()));
  int left_out = 0;
  for (pugi::xpath_node found : doc.select_nodes("/Data/Process/Functions/FunctionsRow")) {
    pugi::xml_node row = found.node();
    for (pugi::xml_attribute a = row.first_attribute(); a;) {
      pugi::xml_attribute next = a.next_attribute();
      const std::string value = a.value();
      if (value.empty() || value == "0" || value == "0.0") {
        row.remove_attribute(a);
        ++left_out;
      }
      a = next;
    }
  }
  ASSERT_GT(left_out, 0);
  std::ostringstream sparse;
  doc.save(sparse);
  EXPECT_EQ(Lines(Compare(exported, sparse.str())), std::vector<std::string>{});

  pugi::xml_node first = doc.select_node("/Data/Process/Functions/FunctionsRow").node();
  first.remove_attribute("Caption");
  std::ostringstream without_caption;
  doc.save(without_caption);
  EXPECT_EQ(Lines(Compare(exported, without_caption.str())), std::vector<std::string>{"changed function : Caption"});
}

TEST_F(ProcessCompareTest, RowsInsideAnItemCountAsOneFieldAndTextThatIsNoProcessIsRefused) {
  Sample s = BuildSample();
  const std::string before = io->SerializeProcess(session, card);
  process->Functions()->Item(Variant(s.task))->States()->AddNew()->SetData("another pass\n");
  const Json diff = Compare(before, io->SerializeProcess(session, card));
  ASSERT_EQ(diff["differences"].size(), 1u) << diff.dump(2);
  EXPECT_EQ(diff["differences"][0]["fields"][0]["name"], "PassStates");

  auto compare = com::Query<ProcessCompare>(com::CreateObject("QXVorlane.ProcessCompare"));
  for (const std::string& bad : {std::string("<Data/>"), std::string("not xml"), std::string()}) {
    try {
      compare->Compare(before, bad);
      ADD_FAILURE() << "accepted: " << bad;
    } catch (const com::Error& e) {
      EXPECT_EQ(e.code(), static_cast<com::HResult>(0x80040001));
      EXPECT_NE(e.description().find("second"), std::string::npos) << e.description();
    }
  }
}

}  // namespace
}  // namespace vorlane::testing
