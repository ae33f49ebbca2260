// What the designer asks of its host (any dispatch object), and how it
// takes and lets go of what it is given.
#include "tests/designer/designer_fixture.h"

namespace designer::testing {
namespace {

class Host : public DesignerFixture {};

TEST_F(Host, WindowsGoToTheHostWithTheShownProcess) {
  designer->ShowProperties();
  designer->ShowLog();
  EXPECT_EQ(host->Names(), (std::vector<std::string>{"ShowProperties", "ShowLog"}));
  for (const auto& call : host->calls) {
    ASSERT_EQ(call.args.size(), 1u);
    EXPECT_TRUE(com::SameObject(call.args[0].TryObject(), process.get()));
  }
  EXPECT_EQ(changes->count, 1);  // after the properties, not after the log

  // A host that says whether the person changed anything is believed.
  host->properties_answer = Variant(false);
  designer->ShowProperties();
  EXPECT_EQ(changes->count, 1);
  host->properties_answer = Variant(true);
  designer->ShowProperties();
  EXPECT_EQ(changes->count, 2);

  designer->SetReadOnly(true);
  designer->ShowProperties();
  EXPECT_EQ(changes->count, 2);
}

TEST_F(Host, TheInstanceDialogAnswersWhatTheHostAnswers) {
  auto instance = library->CreateProcess(process->ID());
  host->instance_answer = 2;
  EXPECT_EQ(designer->ShowInstanceDialog(Variant(instance), true), 2);
  host->instance_answer = 1;
  EXPECT_EQ(designer->ShowInstanceDialog(Variant(instance), false), 1);
  ASSERT_EQ(host->calls.size(), 2u);
  EXPECT_TRUE(com::SameObject(host->calls[1].args.at(0).TryObject(), instance.get()));

  designer->Initialize(Variant(session), Variant(), Variant(library), Variant(process), 0);
  EXPECT_EQ(designer->ShowInstanceDialog(Variant(instance), true), 2);  // no host: cancelled
}

TEST_F(Host, ExportHandsThePictureToTheHostUnderTheProcessName) {
  designer->AddFunction(FunctionType(), 0, 0);
  process->SetName("Orders/2026");
  designer->ExportPicture();
  ASSERT_EQ(host->Names(), (std::vector<std::string>{"SavePicture"}));
  EXPECT_EQ(host->calls[0].args.at(0).ToText(), designer->Picture());
  EXPECT_EQ(host->calls[0].args.at(1).ToText(), "Orders_2026.svg");
  EXPECT_EQ(designer->ProcessName(), "Orders/2026");
}

TEST_F(Host, OnlyAProcessOfTheObjectModelIsShown) {
  std::string text;
  EXPECT_EQ(CodeOf([&] { designer->Initialize(Variant(session), Variant(host), Variant(library), Variant(host), 0); },
                   &text),
            com::hr::kTypeMismatch);
  EXPECT_NE(text.find("Process"), std::string::npos) << text;
  EXPECT_EQ(CodeOf([&] { designer->Initialize(Variant(session), Variant(host), Variant(library), Variant(), 0); }),
            com::hr::kTypeMismatch);
  EXPECT_EQ(designer->ProcessName(), "Order approval");  // still the one shown before
}

TEST_F(Host, ShutdownLetsGoOfEverything) {
  designer->Shutdown();
  EXPECT_EQ(designer->ProcessName(), "");
  EXPECT_EQ(designer->FileName(), "");
  EXPECT_NE(designer->Picture().find("<svg"), std::string::npos);  // drawn empty, not failing
  designer->ShowProperties();
  designer->ExportPicture();
  EXPECT_EQ(designer->ShowInstanceDialog(Variant(process), true), 2);
  EXPECT_TRUE(host->calls.empty());
  EXPECT_EQ(CodeOf([&] { designer->AddFunction(FunctionType(), 0, 0); }), com::hr::kAccessDenied);
}

}  // namespace
}  // namespace designer::testing
