// Editing through the designer: each operation changes the process through
// the object model and raises Changed once, or fails and changes nothing.
#include "tests/designer/designer_fixture.h"

namespace designer::testing {
namespace {

class Editing : public DesignerFixture {};

TEST_F(Editing, AddFunctionMakesAFunctionOfTheTypeAtThePlaceWithADefaultSize) {
  auto type = library->Dictionary()->Functions()->Item(Variant(2));
  const std::string id = designer->AddFunction(text::Lower(type->ID()), 40, 80.5);
  auto f = Function(id);
  EXPECT_EQ(f->TypeID(), type->ID());
  EXPECT_EQ(f->Caption(), type->Name());
  EXPECT_EQ(f->XPos(), 40.f);
  EXPECT_EQ(f->YPos(), 80.5f);
  EXPECT_GT(f->Width(), 0);
  EXPECT_GT(f->Height(), 0);
  EXPECT_EQ(changes->count, 1);
}

TEST_F(Editing, AddGateMakesAGateOfTheType) {
  auto type = library->Dictionary()->Gates()->Item(Variant(1));
  const std::string id = designer->AddGate(type->ID(), 10, 10);
  auto g = process->Gates()->Item(Variant(id));
  EXPECT_EQ(g->TypeID(), type->ID());
  EXPECT_EQ(g->Caption(), type->Name());
  EXPECT_EQ(changes->count, 1);
}

TEST_F(Editing, TypesOutsideTheDictionaryAreRefusedNamingTheType) {
  const std::string unknown = "{0F0F0F0F-0000-4000-8000-000000000001}";
  std::string text;
  EXPECT_EQ(CodeOf([&] { designer->AddFunction(unknown, 0, 0); }, &text), com::hr::kInvalidArg);
  EXPECT_NE(text.find(unknown), std::string::npos) << text;
  EXPECT_EQ(CodeOf([&] { designer->AddGate(FunctionType(), 0, 0); }), com::hr::kInvalidArg);
  EXPECT_EQ(process->Functions()->Count(), 0);
  EXPECT_EQ(process->Gates()->Count(), 0);
  EXPECT_EQ(changes->count, 0);
}

TEST_F(Editing, MoveAndResizeChangeTheStoredGeometry) {
  const std::string id = designer->AddFunction(FunctionType(), 0, 0);
  designer->MoveNode(id, 150, -20);
  designer->ResizeNode(id, 200, 90);
  auto f = Function(id);
  EXPECT_EQ(f->XPos(), 150.f);
  EXPECT_EQ(f->YPos(), -20.f);
  EXPECT_EQ(f->Width(), 200);
  EXPECT_EQ(f->Height(), 90);
  EXPECT_EQ(changes->count, 3);

  for (auto [w, h] : {std::pair{0.0, 10.0}, {10.0, -5.0}, {40000.0, 10.0}}) {
    EXPECT_EQ(CodeOf([&] { designer->ResizeNode(id, w, h); }), com::hr::kInvalidArg) << w << " x " << h;
  }
  EXPECT_EQ(f->Width(), 200);
  EXPECT_EQ(changes->count, 3);
}

TEST_F(Editing, UnknownIdsFailNamingTheId) {
  const std::string unknown = "{0F0F0F0F-0000-4000-8000-000000000002}";
  const std::string existing = designer->AddFunction(FunctionType(), 0, 0);
  const std::vector<std::function<void()>> calls = {
      [&] { designer->MoveNode(unknown, 1, 1); },
      [&] { designer->ResizeNode(unknown, 10, 10); },
      [&] { designer->Connect(existing, unknown, 0); },
      [&] { designer->Connect(unknown, existing, 0); },
      [&] { designer->RemoveItem(unknown); },
      [&] { designer->SetItemCaption(unknown, "x"); },
      [&] { designer->SetItemDescription(unknown, "x"); },
  };
  for (size_t i = 0; i < calls.size(); ++i) {
    std::string text;
    EXPECT_EQ(CodeOf(calls[i], &text), com::hr::kInvalidProcedureCall) << "call " << i;
    EXPECT_NE(text.find(unknown), std::string::npos) << "call " << i << ": " << text;
  }
  EXPECT_EQ(process->Links()->Count(), 0);
  EXPECT_EQ(changes->count, 1);
}

TEST_F(Editing, ConnectLinksTwoNodesWithAValidType) {
  const std::string a = designer->AddFunction(FunctionType(), 0, 0);
  const std::string gate = designer->AddGate(GateType(), 0, 200);
  const std::string id = designer->Connect(a, text::Lower(gate), 2);
  auto l = process->Links()->Item(Variant(id));
  EXPECT_EQ(l->Source(), a);
  EXPECT_EQ(l->Destination(), gate);
  EXPECT_EQ(l->LinkType(), vorlane::LinkTypeEnum::LinkCompletion);
  EXPECT_EQ(changes->count, 3);

  EXPECT_EQ(CodeOf([&] { designer->Connect(a, gate, 3); }), com::hr::kInvalidArg);
  EXPECT_EQ(CodeOf([&] { designer->Connect(a, gate, -1); }), com::hr::kInvalidArg);
  EXPECT_EQ(CodeOf([&] { designer->Connect(a, a, 0); }), com::hr::kInvalidArg);
  EXPECT_EQ(process->Links()->Count(), 1);
}

TEST_F(Editing, RemovingANodeTakesItsLinksAlongAndNoOthers) {
  const std::string a = designer->AddFunction(FunctionType(), 0, 0);
  const std::string b = designer->AddFunction(FunctionType(), 300, 0);
  const std::string c = designer->AddFunction(FunctionType(), 600, 0);
  designer->Connect(a, b, 0);
  designer->Connect(c, a, 1);
  const std::string kept = designer->Connect(b, c, 0);
  changes->count = 0;

  designer->RemoveItem(a);
  EXPECT_EQ(process->Functions()->Count(), 2);
  ASSERT_EQ(process->Links()->Count(), 1);
  EXPECT_EQ(process->Links()->Item(Variant(1))->ID(), kept);
  EXPECT_EQ(changes->count, 1);

  designer->RemoveItem(kept);  // a link alone
  EXPECT_EQ(process->Links()->Count(), 0);
  EXPECT_EQ(process->Functions()->Count(), 2);

  const std::string gate = designer->AddGate(GateType(), 0, 0);
  designer->Connect(gate, b, 0);
  designer->RemoveItem(gate);
  EXPECT_EQ(process->Gates()->Count(), 0);
  EXPECT_EQ(process->Links()->Count(), 0);
}

TEST_F(Editing, CaptionsAndDescriptionsOfEveryKindOfItem) {
  const std::string f = designer->AddFunction(FunctionType(), 0, 0);
  const std::string g = designer->AddGate(GateType(), 0, 200);
  const std::string l = designer->Connect(f, g, 0);
  changes->count = 0;
  for (const std::string& id : {f, g, l}) {
    designer->SetItemCaption(id, "Caption " + id);
    designer->SetItemDescription(id, "Description " + id);
  }
  EXPECT_EQ(Function(f)->Caption(), "Caption " + f);
  EXPECT_EQ(Function(f)->Description(), "Description " + f);
  EXPECT_EQ(process->Gates()->Item(Variant(g))->Caption(), "Caption " + g);
  EXPECT_EQ(process->Gates()->Item(Variant(g))->Description(), "Description " + g);
  EXPECT_EQ(process->Links()->Item(Variant(l))->Caption(), "Caption " + l);
  EXPECT_EQ(process->Links()->Item(Variant(l))->Description(), "Description " + l);
  EXPECT_EQ(changes->count, 6);
}

// Every editing call, over a function and a link that exist.
std::vector<std::function<void()>> EveryEdit(Designer& d, const std::string& f, const std::string& link,
                                              const std::string& function_type, const std::string& gate_type) {
  return {
      [&d, function_type] { d.AddFunction(function_type, 0, 0); },
      [&d, gate_type] { d.AddGate(gate_type, 0, 0); },
      [&d, f] { d.MoveNode(f, 5, 5); },
      [&d, f] { d.ResizeNode(f, 50, 50); },
      [&d, f] { d.Connect(f, f, 0); },
      [&d, link] { d.RemoveItem(link); },
      [&d, f] { d.RemoveItem(f); },
      [&d, f] { d.SetItemCaption(f, "changed"); },
      [&d, f] { d.SetItemDescription(f, "changed"); },
  };
}

TEST_F(Editing, EveryEditIsRefusedWhileReadOnlyOrWithoutAProcess) {
  const std::string f = designer->AddFunction(FunctionType(), 0, 0);
  const std::string g = designer->AddFunction(FunctionType(), 300, 0);
  const std::string link = designer->Connect(f, g, 0);
  changes->count = 0;
  designer->SetReadOnly(true);
  EXPECT_TRUE(com::GetProperty(designer.get(), "ReadOnly").ToBool());
  for (const auto& edit : EveryEdit(*designer, f, link, FunctionType(), GateType())) {
    EXPECT_EQ(CodeOf(edit), com::hr::kAccessDenied);
  }
  designer->SetReadOnly(false);
  designer->Reset();
  for (const auto& edit : EveryEdit(*designer, f, link, FunctionType(), GateType())) {
    EXPECT_EQ(CodeOf(edit), com::hr::kAccessDenied);
  }
  EXPECT_EQ(changes->count, 0);
  EXPECT_EQ(process->Functions()->Count(), 2);
  EXPECT_EQ(process->Links()->Count(), 1);
  EXPECT_EQ(Function(f)->Caption(), library->Dictionary()->Functions()->Item(Variant(1))->Name());
}

TEST_F(Editing, ChangedReachesASinkThroughDispatchAndStopsWhenItUnadvises) {
  auto second = com::Make<ChangeCounter>();
  const uint32_t cookie = com::Advise(designer.get(), DesignerEvents::kIID, com::Ref<com::Dispatch>(second.get()));
  // A container that knows the designer only by dispatch.
  const Variant args[] = {Variant(FunctionType()), Variant(1.0), Variant(2.0)};
  com::CallMethod(designer.get(), "AddFunction", args);
  EXPECT_EQ(second->count, 1);
  com::Unadvise(designer.get(), DesignerEvents::kIID, cookie);
  designer->AddFunction(FunctionType(), 0, 0);
  EXPECT_EQ(second->count, 1);
  EXPECT_EQ(changes->count, 2);
}

}  // namespace
}  // namespace designer::testing
