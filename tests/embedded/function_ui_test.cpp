// The user-interface classes of the function types: each seeded UIClass is
// created by ProgID and answers its type's dependent gates from the
// dictionary of the thread's session.
#include <gtest/gtest.h>

#include <thread>

#include "platform/com/dispatch.h"
#include "platform/com/registry.h"
#include "embedded/ui/function_type_ui.h"
#include "platform/ostrel/function_ui.h"
#include "store_fixture.h"

namespace embedded::testing {
namespace {

constexpr const char* kFunctionTypes = "{BDB73D05-8DE1-41B2-9F3C-AA76C4D9CD64}";
constexpr const char* kFunctionTypesSection = "{A5489822-1A9C-4CBE-8468-23DE99C843C4}";

class FunctionUITest : public StoreTest {
 protected:
  static com::Ref<ostrel::RowCollection> Types(const com::Ref<ostrel::Session>& s) {
    return Cards(s)->GetDictionaryData(kFunctionTypes)->GetSections()->Item(kFunctionTypesSection)->GetRows();
  }
  static std::string Gates(const std::string& progid) {
    return com::Query<ostrel::FunctionUI>(com::CreateObject(progid))->GetDependentGates();
  }
  static std::string Field(const com::Ref<ostrel::Row>& row, const char* name) {
    com::Variant v = row->GetField(name);
    return v.IsNull() ? "" : v.ToText();
  }
};

TEST_F(FunctionUITest, EverySeededFunctionTypeNamesAClassThatAnswersItsGates) {
  com::Ref<ostrel::Session> s = Session();
  com::Ref<ostrel::RowCollection> types = Types(s);
  ASSERT_GE(types->Count(), 6);
  for (int32_t i = 0; i < types->Count(); ++i) {
    com::Ref<ostrel::Row> type = types->Item(com::Variant(i));
    const std::string progid = Field(type, "UIClass");
    ASSERT_FALSE(progid.empty()) << Field(type, "Name");
    EXPECT_EQ(Gates(progid), Field(type, "DependentGates")) << progid;
  }
  EXPECT_EQ(Gates("QXWorkflow.TaskUI"), "{DE24E4D4-4097-48C5-8A7F-3B9A6A65810D};{A7E505E8-C639-49B1-9E74-3A7FAD6E330D}");
  EXPECT_EQ(Gates("qxworkflow.startui"), "");  // ProgIDs match in any case
}

TEST_F(FunctionUITest, TheGatesAreReadFromTheDictionaryWhenAsked) {
  com::Ref<ostrel::Session> s = Session();
  com::Ref<ostrel::FunctionUI> ui = com::Query<ostrel::FunctionUI>(com::CreateObject("QXWorkflow.ConditionUI"));
  EXPECT_EQ(ui->GetDependentGates(), "");
  com::Ref<ostrel::RowCollection> types = Types(s);
  com::Ref<ostrel::Row> condition;
  for (int32_t i = 0; i < types->Count(); ++i) {
    if (Field(types->Item(com::Variant(i)), "UIClass") == "QXWorkflow.ConditionUI") condition = types->Item(com::Variant(i));
  }
  ASSERT_TRUE(condition);
  // Written in any form, answered as "{UPPER-CASE}" IDs, each once.
  condition->SetField("DependentGates", Text(" 64cf7cc6-3172-4108-a9f1-9bbc523ec511 ;;{64CF7CC6-3172-4108-A9F1-9BBC523EC511};x"));
  EXPECT_EQ(ui->GetDependentGates(), "{64CF7CC6-3172-4108-A9F1-9BBC523EC511};x");
  // Another type naming the same class adds its gates.
  com::Ref<ostrel::Row> more = types->AddNew(0);
  more->SetField("UIClass", Text("QXWorkflow.ConditionUI"));
  more->SetField("DependentGates", Text("{00000000-0000-0000-0000-000000000000}"));
  EXPECT_EQ(ui->GetDependentGates(),
            "{64CF7CC6-3172-4108-A9F1-9BBC523EC511};x;{00000000-0000-0000-0000-000000000000}");
  // Scripts call it by name.
  EXPECT_EQ(com::CallMethod(ui.get(), "GetDependentGates").ToText(), ui->GetDependentGates());
}

TEST_F(FunctionUITest, ItAnswersFromTheSessionOfItsThread) {
  com::Ref<ostrel::Session> alice = Session("alice");
  SessionOptions o;  // carol's session is on a store of her own
  o.account = "carol";
  com::Ref<ostrel::Session> elsewhere = Open(o);
  com::Ref<ostrel::Row> task = Types(elsewhere)->Item(com::Variant(2));
  ASSERT_EQ(Field(task, "UIClass"), "QXWorkflow.TaskUI");
  task->SetField("DependentGates", Text(""));
  EXPECT_EQ(Gates("QXWorkflow.TaskUI"), "");   // carol's session was used last
  alice->GetCardManager();                      // now alice's
  EXPECT_NE(Gates("QXWorkflow.TaskUI"), "");

  com::HResult on_fresh_thread = 0;
  std::thread([&] {
    try {
      Gates("QXWorkflow.TaskUI");
    } catch (const com::Error& e) {
      on_fresh_thread = e.code();
    }
  }).join();
  EXPECT_EQ(on_fresh_thread, ostrel::err::kServiceUnavailable);
}

// Settings kept as name=value lines by older versions become Param
// elements; anything else is not the old form and is left alone.
TEST(FunctionSettings, OldLinesBecomeParamElementsAndOtherTextStays) {
  EXPECT_EQ(embedded::ui::ConvertedSettings("Performer=alice\r\n\n Days = 3\nNote=a<b & \"c\"\tend"),
            "<Param Name=\"Performer\" Value=\"alice\"/>\n<Param Name=\"Days\" Value=\" 3\"/>\n"
            "<Param Name=\"Note\" Value=\"a&lt;b &amp; &quot;c&quot;&#9;end\"/>\n");
  EXPECT_EQ(embedded::ui::ConvertedSettings("Empty="), "<Param Name=\"Empty\" Value=\"\"/>\n");
  for (const char* current : {"", "  \n", "<Param Name=\"a\" Value=\"1\"/>", "  <Settings/>", "just words", "a=1\nno setting"}) {
    EXPECT_EQ(embedded::ui::ConvertedSettings(current), std::nullopt) << current;
  }
}

// The class converts a function of a process it reaches by name, and reads
// the dictionary of the session it is given when there is one.
TEST_F(FunctionUITest, AGivenSessionIsTheOneItReads) {
  com::Ref<ostrel::Session> s = Session();
  auto ui = com::CreateObject("QXWorkflow.TaskUI");
  com::Query<ostrel::SessionUser>(ui)->SetSession(com::Variant(com::Ref<com::Unknown>(static_cast<com::Unknown*>(s.get()))));
  std::string gates;
  std::thread elsewhere([&] { gates = com::Query<ostrel::FunctionUI>(ui)->GetDependentGates(); });
  elsewhere.join();  // no session is open on that thread
  EXPECT_EQ(gates, "{DE24E4D4-4097-48C5-8A7F-3B9A6A65810D};{A7E505E8-C639-49B1-9E74-3A7FAD6E330D}");
  EXPECT_EQ(CodeOf([&] { com::Query<ostrel::SessionUser>(ui)->SetSession(com::Variant(1)); }), com::hr::kInvalidArg);
}

}  // namespace
}  // namespace embedded::testing
