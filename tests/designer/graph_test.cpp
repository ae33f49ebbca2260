// The graph as data for a container that draws it itself, and the revision
// that tells such a container when to read it again.
#include <nlohmann/json.hpp>

#include "tests/designer/designer_fixture.h"

namespace designer::testing {
namespace {

using Json = nlohmann::json;

class Graph : public DesignerFixture {
 protected:
  Json Read() { return Json::parse(designer->Graph()); }
};

TEST_F(Graph, NodesAndLinksComeWithWhatItTakesToDrawThem) {
  const std::string a = designer->AddFunction(FunctionType(), 10, 20);
  const std::string g = designer->AddGate(GateType(), 300, 0);
  designer->SetItemCaption(a, "Review \"draft\"");
  const std::string plain = designer->Connect(a, g, 0);
  const std::string failed = designer->Connect(g, a, 1);
  process->Links()->Item(Variant(failed))->SetPoints("332,64;332,100;70,100;70,80");
  process->Links()->Item(Variant(failed))->SetDisabled(true);
  designer->SetItemCaption(plain, "approved");
  process->Functions()->Item(Variant(a))->SetData("Approver=Manager\n");

  const Json graph = Read();
  ASSERT_EQ(graph["nodes"].size(), 2u);
  EXPECT_EQ(graph["nodes"][0], (Json{{"id", a}, {"kind", "function"}, {"caption", "Review \"draft\""},
                                     {"type", FunctionType()}, {"description", ""}, {"settings", "Approver=Manager\n"},
                                     {"x", 10.0}, {"y", 20.0}, {"width", 120.0}, {"height", 60.0}}));
  EXPECT_EQ(graph["nodes"][1]["kind"], "gate");
  EXPECT_EQ(graph["nodes"][1]["id"], g);
  ASSERT_EQ(graph["links"].size(), 2u);
  const Json& first = graph["links"][0];
  EXPECT_EQ(first["id"], plain);
  EXPECT_EQ(first["source"], a);
  EXPECT_EQ(first["target"], g);
  EXPECT_EQ(first["caption"], "approved");
  EXPECT_EQ(first["disabled"], false);
  EXPECT_EQ(first["points"].size(), 2u);  // between the outlines
  const Json& second = graph["links"][1];
  EXPECT_EQ(second["type"], 1);
  EXPECT_EQ(second["disabled"], true);
  EXPECT_EQ(second["points"], (Json{{332, 64}, {332, 100}, {70, 100}, {70, 80}}));
  EXPECT_EQ(graph["process"]["name"], "Order approval");
  EXPECT_TRUE(graph["variables"].empty());
}

// A link to a node that is not there and has no points cannot be drawn;
// text that is not UTF-8 never reaches the graph: the store refuses it.
TEST_F(Graph, WhatCannotBeDrawnIsLeftOutAndBadTextIsRefused) {
  const std::string a = designer->AddFunction(FunctionType(), 0, 0);
  auto dangling = process->Links()->AddNew();
  dangling->SetSource(a);
  dangling->SetDestination("{00000000-0000-0000-0000-000000000001}");
  EXPECT_EQ(CodeOf([&] { Function(a)->SetCaption(std::string("caf\xC3", 4)); }), com::hr::kInvalidArg);
  const Json graph = Read();
  EXPECT_TRUE(graph["links"].empty());
  EXPECT_EQ(graph["nodes"].size(), 1u);
}

TEST_F(Graph, TheRevisionMovesWithEveryChangeAndEveryProcessShown) {
  int32_t seen = designer->Revision();
  auto moved = [&] {
    const int32_t now = designer->Revision();
    const bool result = now != seen;
    seen = now;
    return result;
  };
  const std::string a = designer->AddFunction(FunctionType(), 0, 0);
  EXPECT_TRUE(moved());
  designer->MoveNode(a, 50, 50);
  EXPECT_TRUE(moved());
  designer->ZoomIn();  // the drawing's scale is not the graph
  designer->ShowLinkText(false);
  EXPECT_FALSE(moved());
  designer->Initialize(Variant(session), Variant(host), Variant(library), Variant(process), 0);
  EXPECT_TRUE(moved());
  designer->SetReadOnly(true);
  EXPECT_THROW(designer->MoveNode(a, 0, 0), com::Error);
  EXPECT_FALSE(moved());  // a refused edit changed nothing
  designer->Reset();
  EXPECT_TRUE(moved());
  EXPECT_EQ(Read(), (Json{{"nodes", Json::array()}, {"links", Json::array()}}));
}

}  // namespace
}  // namespace designer::testing
