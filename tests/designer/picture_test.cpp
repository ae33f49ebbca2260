// The picture of the graph: a well-formed SVG document of the process as
// stored, read back with an XML parser.
#include <pugixml.hpp>

#include <sstream>

#include "tests/designer/designer_fixture.h"

namespace designer::testing {
namespace {

class Picture : public DesignerFixture {
 protected:
  // Parses the designer's picture; fails the test when it is not well formed.
  pugi::xml_node Parse() {
    const std::string svg = designer->Picture();
    // The parser lets a bare "&" through; a stricter reader would not.
    for (size_t at = svg.find('&'); at != std::string::npos; at = svg.find('&', at + 1)) {
      const std::string_view rest = std::string_view(svg).substr(at);
      const bool entity = rest.starts_with("&amp;") || rest.starts_with("&lt;") || rest.starts_with("&gt;") ||
                          rest.starts_with("&quot;") || rest.starts_with("&apos;");
      EXPECT_TRUE(entity) << "a bare & at " << at << " in\n" << svg;
    }
    const pugi::xml_parse_result result = document.load_string(svg.c_str());
    EXPECT_TRUE(result) << result.description() << " at " << result.offset << "\n" << svg;
    return document.child("svg");
  }
  static std::vector<pugi::xml_node> All(pugi::xml_node svg, const char* xpath) {
    std::vector<pugi::xml_node> found;
    for (const pugi::xpath_node& n : svg.select_nodes(xpath)) found.push_back(n.node());
    return found;
  }
  static std::vector<double> Numbers(const char* text) {
    std::string s(text);
    for (char& c : s) {
      if (c == ',') c = ' ';
    }
    std::istringstream in(s);
    std::vector<double> v;
    for (double d; in >> d;) v.push_back(d);
    return v;
  }

  pugi::xml_document document;
};

TEST_F(Picture, EachNodeIsOneShapeOfItsKindWithItsCaptionEscaped) {
  EXPECT_TRUE(Parse().child("g"));  // an empty process draws an empty, well-formed picture
  const std::string f = designer->AddFunction(FunctionType(), 0, 0);
  designer->SetItemCaption(f, "Check <order> & \"pay\" 'now'");
  const std::string g = designer->AddGate(GateType(), 300, 0);
  designer->SetItemCaption(g, "Данные");
  auto svg = Parse();
  EXPECT_STREQ(svg.attribute("xmlns").value(), "http://www.w3.org/2000/svg");
  ASSERT_EQ(All(svg, "//g[@class='function']").size(), 1u);
  ASSERT_EQ(All(svg, "//g[@class='gate']").size(), 1u);

  auto function = svg.select_node("//g[@class='function']").node();
  EXPECT_EQ(function.attribute("data-id").value(), f);
  EXPECT_TRUE(function.child("rect").attribute("rx"));  // rounded
  EXPECT_STREQ(function.child("text").text().get(), "Check <order> & \"pay\" 'now'");
  auto gate = svg.select_node("//g[@class='gate']").node();
  EXPECT_EQ(Numbers(gate.child("polygon").attribute("points").value()).size(), 8u);  // a diamond
  EXPECT_STREQ(gate.child("text").text().get(), "Данные");
  EXPECT_EQ(Numbers(gate.child("polygon").attribute("points").value())[1], 0);  // the top corner at the gate's Y
}

TEST_F(Picture, AFunctionWithoutASizeGetsADefaultOneAndTheViewBoxCoversEverything) {
  auto f = process->Functions()->AddNew();  // made elsewhere: no size
  f->SetXPos(-500);
  f->SetYPos(700);
  designer->AddFunction(FunctionType(), 1000, -40);
  auto svg = Parse();
  const auto box = Numbers(svg.attribute("viewBox").value());
  ASSERT_EQ(box.size(), 4u);
  for (pugi::xml_node rect : All(svg, "//rect")) {
    const double x = rect.attribute("x").as_double(), y = rect.attribute("y").as_double();
    const double w = rect.attribute("width").as_double(), h = rect.attribute("height").as_double();
    EXPECT_GT(w, 0);
    EXPECT_GT(h, 0);
    EXPECT_GT(x, box[0]);  // strictly: there is a margin
    EXPECT_GT(y, box[1]);
    EXPECT_LT(x + w, box[0] + box[2]);
    EXPECT_LT(y + h, box[1] + box[3]);
  }
}

TEST_F(Picture, LinksFollowTheirStoredPointsOrRunBetweenTheNodeOutlines) {
  const std::string a = designer->AddFunction(FunctionType(), 0, 0);  // 120 x 60
  const std::string b = designer->AddFunction(FunctionType(), 300, 0);
  designer->ResizeNode(a, 120, 60);
  designer->ResizeNode(b, 120, 60);
  const std::string straight = designer->Connect(a, b, 0);
  const std::string routed = designer->Connect(b, a, 1);
  process->Links()->Item(Variant(routed))->SetPoints("360,60;360, 120.5;60,120.5;60,60");
  auto svg = Parse();

  auto line = svg.select_node(("//g[@data-id='" + straight + "']/polyline").c_str()).node();
  EXPECT_EQ(Numbers(line.attribute("points").value()), (std::vector<double>{120, 30, 300, 30}));
  EXPECT_STREQ(line.attribute("marker-end").value(), "url(#arrow)");
  EXPECT_TRUE(svg.select_node("//defs/marker[@id='arrow']"));
  auto route = svg.select_node(("//g[@data-id='" + routed + "']/polyline").c_str()).node();
  EXPECT_EQ(Numbers(route.attribute("points").value()), (std::vector<double>{360, 60, 360, 120.5, 60, 120.5, 60, 60}));
  EXPECT_STRNE(route.attribute("stroke").value(), line.attribute("stroke").value());  // a failure link looks different
}

TEST_F(Picture, LinkCaptionsAreDrawnOnlyWhileLinkTextIsShown) {
  const std::string a = designer->AddFunction(FunctionType(), 0, 0);
  const std::string b = designer->AddFunction(FunctionType(), 300, 0);
  designer->SetItemCaption(designer->Connect(a, b, 0), "if < 5 & approved");
  designer->Connect(b, a, 0);  // no caption: no text either way

  designer->ShowLinkText(true);
  auto shown = All(Parse(), "//text[@class='link-caption']");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_STREQ(shown[0].text().get(), "if < 5 & approved");
  designer->ShowLinkText(false);
  EXPECT_FALSE(designer->LinkTextShown());
  EXPECT_TRUE(All(Parse(), "//text[@class='link-caption']").empty());
  EXPECT_EQ(All(Parse(), "//polyline").size(), 2u);
}

TEST_F(Picture, ZoomStepsClampAtBothEndsAndScaleThePicture) {
  designer->AddFunction(FunctionType(), 0, 0);
  const double width = Parse().attribute("width").as_double();
  EXPECT_EQ(designer->Zoom(), 1.0);
  designer->ZoomIn();
  EXPECT_EQ(designer->Zoom(), 1.25);
  EXPECT_DOUBLE_EQ(Parse().attribute("width").as_double(), width * 1.25);
  for (int i = 0; i < 20; ++i) designer->ZoomIn();
  EXPECT_EQ(designer->Zoom(), 4.0);
  for (int i = 0; i < 20; ++i) designer->ZoomOut();
  EXPECT_EQ(designer->Zoom(), 0.25);
  designer->ZoomIn();
  EXPECT_EQ(designer->Zoom(), 0.33);
}

TEST_F(Picture, GatesMovedAndResizedInTheDesignerAreDrawnThere) {
  const std::string g = designer->AddGate(GateType(), 100, 100);
  designer->MoveNode(g, 400, 40);
  designer->ResizeNode(g, 80, 40);
  auto gate = Parse().select_node("//g[@class='gate']/polygon").node();
  EXPECT_EQ(Numbers(gate.attribute("points").value()), (std::vector<double>{440, 40, 480, 60, 440, 80, 400, 60}));
}

}  // namespace
}  // namespace designer::testing
