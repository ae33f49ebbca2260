// Undo and redo over every kind of edit, edits sent as one list, and what
// the designer offers and finds for a person drawing the graph.
#include <nlohmann/json.hpp>

#include <algorithm>

#include "tests/designer/designer_fixture.h"

namespace designer::testing {
namespace {

using Json = nlohmann::json;

class History : public DesignerFixture {
 protected:
  // The process as a person sees it, without IDs (undo may make an item
  // again under a new one): nodes by caption, links by their nodes'
  // captions, each with the fields an edit changes; and the gates' places.
  std::string State() {
    std::vector<std::string> lines{"name " + process->Name()};
    std::map<std::string, std::string> caption_of;
    auto functions = process->Functions();
    for (int32_t i = 1; i <= functions->Count(); ++i) {
      auto f = functions->Item(Variant(i));
      caption_of[text::Upper(f->ID())] = f->Caption();
      lines.push_back("function " + f->Caption() + " " + f->TypeID() + " " + f->Description() + " at " +
                      std::to_string(f->XPos()) + "," + std::to_string(f->YPos()) + " size " +
                      std::to_string(f->Width()) + "x" + std::to_string(f->Height()));
    }
    auto gates = process->Gates();
    for (int32_t i = 1; i <= gates->Count(); ++i) {
      auto g = gates->Item(Variant(i));
      caption_of[text::Upper(g->ID())] = g->Caption();
      lines.push_back("gate " + g->Caption() + " " + g->TypeID());
    }
    auto links = process->Links();
    for (int32_t i = 1; i <= links->Count(); ++i) {
      auto l = links->Item(Variant(i));
      lines.push_back("link " + caption_of[text::Upper(l->Source())] + " -> " + caption_of[text::Upper(l->Destination())] +
                      " type " + std::to_string(static_cast<int>(l->LinkType())) + " " + l->Caption() +
                      (l->Disabled() ? " disabled" : ""));
    }
    const Json graph = Json::parse(designer->Graph());
    for (const auto& node : graph["nodes"]) {
      if (node["kind"] == "gate") lines.push_back("gate at " + node["x"].dump() + "," + node["y"].dump());
    }
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
  }
};

TEST_F(History, TenMixedEditsUndoneToTheStartAndRedoneToTheEnd) {
  const std::string start = designer->AddFunction(FunctionType(), 0, 0);
  designer->SetItemCaption(start, "Start");
  std::vector<std::string> states{State()};
  auto step = [&](const std::function<void()>& edit) {
    edit();
    states.push_back(State());
  };
  std::string review, gate, link;
  step([&] { review = designer->AddFunction(FunctionType(), 200, 0); });
  step([&] { designer->SetItemCaption(review, "Review"); });
  step([&] { gate = designer->AddGate(GateType(), 400, 0); });
  step([&] { link = designer->Connect(start, review, 0); });
  step([&] { designer->Connect(review, gate, 1); });
  step([&] { designer->MoveNode(review, 220, 40); });
  step([&] { designer->MoveNode(gate, 420, 60); });
  step([&] { designer->ApplyEdits(R"([{"op":"set","id":")" + link + R"(","field":"Disabled","value":true},
                                      {"op":"set","field":"Name","value":"Order approval, v2"}])"); });
  step([&] { designer->ResizeNode(review, 160, 80); });
  step([&] { designer->RemoveItem(review); });  // its two links go with it
  ASSERT_EQ(states.size(), 11u);
  EXPECT_EQ(process->Links()->Count(), 0);

  changes->count = 0;
  for (size_t i = states.size() - 1; i > 0; --i) {
    ASSERT_TRUE(designer->CanUndo());
    designer->Undo();
    EXPECT_EQ(State(), states[i - 1]) << "after undoing step " << i;
  }
  EXPECT_TRUE(designer->CanUndo());  // the caption of the start function, then the function itself
  designer->Undo();
  designer->Undo();
  EXPECT_FALSE(designer->CanUndo());
  EXPECT_EQ(process->Functions()->Count(), 0);
  designer->Undo();  // nothing left: nothing happens
  designer->Redo();
  designer->Redo();
  for (size_t i = 1; i < states.size(); ++i) {
    ASSERT_TRUE(designer->CanRedo());
    designer->Redo();
    EXPECT_EQ(State(), states[i]) << "after redoing step " << i;
  }
  EXPECT_FALSE(designer->CanRedo());
  EXPECT_EQ(changes->count, 24);

  // A new edit after an undo: what was undone cannot be redone.
  designer->Undo();
  designer->MoveNode(start, 5, 5);
  EXPECT_FALSE(designer->CanRedo());
}

TEST_F(History, AListOfEditsIsOneStepAndAFailureInItChangesNothing) {
  const std::string made = designer->ApplyEdits(R"([
      {"op":"add","kind":"function","type":")" + FunctionType() + R"(","x":10,"y":20},
      {"op":"add","kind":"gate","type":")" + GateType() + R"(","x":200,"y":20},
      {"op":"connect","from":"$0","to":"$1","linkType":2},
      {"op":"set","id":"$0","field":"Caption","value":"Approve"}])");
  const Json ids = Json::parse(made);
  ASSERT_EQ(ids.size(), 3u);
  EXPECT_EQ(Function(ids[0])->Caption(), "Approve");
  EXPECT_EQ(process->Links()->Item(Variant(ids[2].get<std::string>()))->LinkType(), vorlane::LinkTypeEnum::LinkCompletion);
  EXPECT_EQ(changes->count, 1);
  const std::string before = State();

  // Each of these fails at its last edit; the ones before it are put back.
  const std::string f = ids[0];
  for (const std::string& edits : {
           R"([{"op":"move","id":")" + f + R"(","x":1,"y":1},{"op":"move","id":")" + f + R"(","x":"far","y":1}])",
           R"([{"op":"remove","id":")" + f + R"("},{"op":"fly"}])",
           R"([{"op":"set","id":")" + f + R"(","field":"Caption","value":"x"},{"op":"set","id":")" + f +
               R"(","field":"CardID","value":"x"}])",
           R"([{"op":"add","kind":"function","type":")" + FunctionType() + R"(","x":0,"y":0},{"op":"connect","from":"$0","to":"$5"}])",
           R"([{"op":"set","id":")" + ids[2].get<std::string>() + R"(","field":"LinkType","value":7}])",
           R"([{"op":"set","id":")" + f + R"(","field":"TypeID","value":"{0F0F0F0F-0000-4000-8000-000000000001}"}])",
           std::string(R"({"op":"move"})"),
           std::string("not json")}) {
    std::string text;
    EXPECT_NE(CodeOf([&] { designer->ApplyEdits(edits); }, &text), com::hr::kOk) << edits;
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(State(), before) << edits;
  }
  EXPECT_EQ(changes->count, 1);
  designer->Undo();  // the whole list at once
  EXPECT_EQ(process->Functions()->Count() + process->Gates()->Count() + process->Links()->Count(), 0);
}

// A link's bend points were placed for where its nodes were: moving a node
// straightens its links, and undo brings the bends back with the node.
TEST_F(History, AMovedNodesLinksGoStraightUntilTheMoveIsUndone) {
  const std::string a = designer->AddFunction(FunctionType(), 0, 0);
  const std::string b = designer->AddFunction(FunctionType(), 300, 0);
  const std::string c = designer->AddFunction(FunctionType(), 300, 300);
  const std::string bent = designer->Connect(a, b, 0);
  const std::string other = designer->Connect(b, c, 0);
  designer->ApplyEdits(R"([{"op":"set","id":")" + bent + R"(","field":"Points","value":"120,30;200,-50;300,30"},
                          {"op":"set","id":")" + other + R"(","field":"Points","value":"360,60;360,300"}])");
  designer->MoveNode(a, 0, 100);
  EXPECT_EQ(process->Links()->Item(Variant(bent))->Points(), "");
  EXPECT_EQ(process->Links()->Item(Variant(other))->Points(), "360,60;360,300");
  designer->Undo();
  EXPECT_EQ(process->Links()->Item(Variant(bent))->Points(), "120,30;200,-50;300,30");
  EXPECT_EQ(Function(a)->YPos(), 0.f);
}

// Variables are edited as the rest: a value that does not fit its type is
// refused with the object model's message, and a removed variable comes
// back with its values and enumeration values.
TEST_F(History, VariablesAreAddedSetRemovedAndBroughtBack) {
  const Json made = Json::parse(designer->ApplyEdits(R"([{"op":"add","kind":"variable","name":"Amount","varType":1},
                                                         {"op":"set","id":"$0","field":"Value","value":"250"}])"));
  const std::string amount = made[0];
  EXPECT_EQ(process->Variables()->Item(Variant(amount))->Value().ToI4(), 250);
  std::string text;
  EXPECT_NE(CodeOf([&] { designer->ApplyEdits(R"([{"op":"set","id":")" + amount + R"(","field":"Value","value":"lots"}])"); },
                   &text),
            com::hr::kOk);
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(process->Variables()->Item(Variant(amount))->Value().ToI4(), 250);

  auto level = process->Variables()->AddNew();  // made by a program, with enumeration values
  level->SetName("Level");
  level->SetVarType(vorlane::VarTypeEnum::Enum);
  level->EnumValues()->AddNew("Low")->SetNumericValue(1);
  auto high = level->EnumValues()->AddNew("High");
  high->SetNumericValue(5);
  level->SetValue(Variant(high->ID()));
  const std::string level_id = level->ID();

  designer->RemoveItem(level_id);
  designer->RemoveItem(amount);
  EXPECT_EQ(process->Variables()->Count(), 0);
  designer->Undo();
  designer->Undo();
  ASSERT_EQ(process->Variables()->Count(), 2);
  auto named = [&](const std::string& name) {
    for (int32_t i = 1; i <= process->Variables()->Count(); ++i) {
      if (process->Variables()->Item(Variant(i))->Name() == name) return process->Variables()->Item(Variant(i));
    }
    throw std::runtime_error("no variable " + name);
  };
  auto back = named("Level");
  ASSERT_EQ(back->EnumValues()->Count(), 2);
  EXPECT_EQ(back->EnumValues()->Item(Variant(2))->Value(), "High");
  EXPECT_EQ(back->EnumValues()->Item(Variant(2))->NumericValue(), 5);
  EXPECT_EQ(back->Value().ToText(), back->EnumValues()->Item(Variant(2))->ID());
  EXPECT_EQ(named("Amount")->Value().ToI4(), 250);
  // The first ID still reaches the variable made again.
  designer->ApplyEdits(R"([{"op":"set","id":")" + level_id + R"(","field":"Name","value":"Urgency"}])");
  EXPECT_EQ(back->Name(), "Urgency");
}

// A variable's enumeration values and its several values are replaced as
// whole lists, each checked against the type, and undone as one step.
TEST_F(History, AVariablesListsAreSetCheckedAndUndone) {
  const std::string level = Json::parse(designer->ApplyEdits(
      R"([{"op":"add","kind":"variable","name":"Level","varType":6},
          {"op":"enumValues","id":"$0","enumValues":[{"text":"Low","number":1},{"text":"High","number":5}]},
          {"op":"set","id":"$0","field":"Value","value":"High"}])"))[0];
  auto variable = [&] { return process->Variables()->Item(Variant(level)); };
  auto lists = [&] {
    const Json graph = Json::parse(designer->Graph());
    for (const Json& v : graph["variables"]) {
      if (v["id"] == level) return v["enumValues"].dump() + " " + v["values"].dump() + " " + v["value"].dump();
    }
    return std::string("none");
  };
  EXPECT_EQ(lists(), R"([{"number":1,"text":"Low"},{"number":5,"text":"High"}] [] "High")");

  // What does not fit is refused, saying why, and changes nothing.
  const std::string before = lists();
  const std::string at = R"("id":")" + level + R"(",)";
  for (const auto& [edit, why] : std::vector<std::pair<std::string, std::string>>{
           {R"({"op":"set",)" + at + R"("field":"Value","value":"Medium"})", "Level takes one of its enumeration values"},
           {R"({"op":"enumValues",)" + at + R"("enumValues":[{"text":"Low","number":1},{"text":"Low","number":2}]})",
            "Level repeat \"Low\""},
           {R"({"op":"enumValues",)" + at + R"("enumValues":[{"text":"","number":1}]})", "of Level has no text"},
           {R"({"op":"enumValues",)" + at + R"("enumValues":[{"text":"Low","number":1.5}]})", "a whole \"number\""},
           {R"({"op":"values",)" + at + R"("values":["Low","Huge"]})", "\"Huge\" is not one"},
           {R"({"op":"values",)" + at + R"("values":"Low"})", "must be a list"}}) {
    std::string text;
    EXPECT_NE(CodeOf([&] { designer->ApplyEdits("[" + edit + "]"); }, &text), com::hr::kOk) << edit;
    EXPECT_NE(text.find(why), std::string::npos) << edit << ": " << text;
    EXPECT_EQ(lists(), before) << edit;
  }

  designer->ApplyEdits(R"([{"op":"set","id":")" + level + R"(","field":"IsMultipleValued","value":true},
                           {"op":"values","id":")" + level + R"(","values":["Low","5"]}])");
  EXPECT_TRUE(variable()->IsMultipleValued());
  ASSERT_EQ(variable()->Values()->Count(), 2);
  EXPECT_EQ(variable()->Values()->Item(Variant(2))->GetValue().ToText(), "5");
  designer->ApplyEdits(R"([{"op":"enumValues","id":")" + level + R"(","enumValues":[{"text":"Low","number":1},{"text":"Medium","number":3},{"text":"High","number":5}]}])");
  const std::string three = lists();

  designer->Undo();
  EXPECT_EQ(variable()->EnumValues()->Count(), 2);
  designer->Undo();
  EXPECT_FALSE(variable()->IsMultipleValued());
  EXPECT_EQ(lists(), before);
  designer->Redo();
  designer->Redo();
  EXPECT_EQ(lists(), three);
  EXPECT_EQ(variable()->EnumValues()->Item(Variant(2))->Value(), "Medium");
}

// Copied functions pasted into another process come with the link between
// them, under new IDs, at the point given; undo takes all of it away.
TEST_F(History, CopiedFunctionsArePastedWithTheirLinkAtThePointAndUndoneAtOnce) {
  const std::string a = designer->AddFunction(FunctionType(), 100, 100);
  const std::string b = designer->AddFunction(FunctionType(), 300, 150);
  const std::string c = designer->AddFunction(FunctionType(), 500, 100);
  designer->SetItemCaption(a, "Review");
  designer->Connect(a, b, 1);
  designer->Connect(b, c, 0);  // c is not copied: nor is this link
  const std::string part = designer->CopyPart(Json{a, b}.dump());

  auto other = library->Templates()->AddNew();
  other->SetName("Second");
  auto second = com::Query<Designer>(com::CreateObject("QXDesigner.Designer"));
  second->Initialize(Variant(session), Variant(host), Variant(library), Variant(other), 0);
  const Json pasted = Json::parse(second->Paste(part, 40, 60));
  ASSERT_EQ(pasted.size(), 2u);
  ASSERT_EQ(other->Functions()->Count(), 2);
  ASSERT_EQ(other->Links()->Count(), 1);
  auto first = other->Functions()->Item(Variant(pasted[0].get<std::string>()));
  EXPECT_NE(first->ID(), a);
  EXPECT_EQ(first->Caption(), "Review");
  EXPECT_EQ(first->XPos(), 40.f);
  EXPECT_EQ(first->YPos(), 60.f);
  EXPECT_EQ(other->Functions()->Item(Variant(pasted[1].get<std::string>()))->XPos(), 240.f);
  auto link = other->Links()->Item(Variant(1));
  EXPECT_EQ(link->Source(), first->ID());
  EXPECT_EQ(link->LinkType(), vorlane::LinkTypeEnum::LinkFail);

  second->Paste(part, 40, 400);  // within one process too
  EXPECT_EQ(other->Functions()->Count(), 4);
  second->Undo();
  second->Undo();
  EXPECT_EQ(other->Functions()->Count(), 0);
  EXPECT_EQ(other->Links()->Count(), 0);
  EXPECT_NE(CodeOf([&] { second->Paste("<Data/>", 0, 0); }), com::hr::kOk);
  EXPECT_EQ(other->Functions()->Count(), 0);
  second->Shutdown();
}

TEST_F(History, AReadOnlyDesignerNeitherEditsNorUndoes) {
  const std::string f = designer->AddFunction(FunctionType(), 0, 0);
  designer->SetReadOnly(true);
  EXPECT_EQ(CodeOf([&] { designer->Undo(); }), com::hr::kAccessDenied);
  EXPECT_EQ(CodeOf([&] { designer->ApplyEdits(R"([{"op":"remove","id":")" + f + R"("}])"); }), com::hr::kAccessDenied);
  EXPECT_EQ(process->Functions()->Count(), 1);
  designer->SetReadOnly(false);
  designer->Undo();
  EXPECT_EQ(process->Functions()->Count(), 0);
  // Another process shown: the history is not its own.
  designer->Initialize(Variant(session), Variant(host), Variant(library), Variant(process), 0);
  EXPECT_FALSE(designer->CanRedo());
}

TEST_F(History, ThePaletteListsTheDictionaryAndTheFindingsWhatStopsAStart) {
  const Json palette = Json::parse(designer->Palette());
  EXPECT_FALSE(palette["functions"].empty());
  EXPECT_FALSE(palette["gates"].empty());
  std::string start_type, other_type;
  for (const auto& t : palette["functions"]) (t["start"] ? start_type : other_type) = t["id"];
  ASSERT_FALSE(start_type.empty());
  ASSERT_FALSE(other_type.empty());

  auto messages = [&] {
    std::map<std::string, std::string> out;
    for (const auto& f : Json::parse(designer->Findings())) out[f["id"]] += f["message"].get<std::string>() + ";";
    return out;
  };
  EXPECT_EQ(messages(), (std::map<std::string, std::string>{{"", "The process has no start function;"}}));

  const std::string start = designer->AddFunction(start_type, 0, 0);
  const std::string next = designer->AddFunction(other_type, 200, 0);
  const std::string lost = designer->AddFunction(other_type, 400, 0);
  designer->Connect(start, next, 0);
  auto stray = process->Links()->AddNew();  // a link a program left half made
  stray->SetSource(next);
  stray->SetDestination("{0F0F0F0F-0000-4000-8000-00000000000A}");
  Function(lost)->SetTypeID("{0F0F0F0F-0000-4000-8000-00000000000B}");
  const auto found = messages();
  EXPECT_EQ(found.size(), 2u);
  EXPECT_NE(found.at(text::Upper(lost)).find("no function type"), std::string::npos);
  EXPECT_NE(found.at(text::Upper(lost)).find("No start function leads here"), std::string::npos);
  EXPECT_NE(found.at(text::Upper(stray->ID())).find("end"), std::string::npos);
  EXPECT_EQ(found.count(text::Upper(next)), 0u);
}

}  // namespace
}  // namespace designer::testing
