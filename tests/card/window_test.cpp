// The card's window as a model: controls by name through dispatch, the
// question window with its check box, the wait cursor and localisation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "card/forms/message_box_form.h"
#include "card/ui/hour_glass.h"
#include "card/ui/messages.h"
#include "card/window/control.h"
#include "card/window/localize.h"
#include "tests/card/recording_host.h"

namespace card::testing {
namespace {

com::Variant Get(const com::Ref<com::Unknown>& object, const char* name, std::vector<com::Variant> args = {}) {
  return com::GetProperty(object.get(), name, args);
}

TEST(Controls, AHostReachesPropertiesAndItemsByNameAndHearsOnlyRealChanges) {
  auto toolbar = com::Make<Control>("Toolbar", "tbMain");
  toolbar->AddItem("Buttons", "Button", "Save").Set("ToolTipText", com::Variant("1001"));
  toolbar->AddItem("Buttons", "Button", "Execute");
  std::vector<std::string> heard;
  toolbar->OnChange([&](Control& c, std::string_view p) { heard.push_back(c.name() + "." + std::string(p)); });

  com::Ref<com::Unknown> as_object(static_cast<com::Unknown*>(static_cast<ControlModel*>(toolbar.get())));
  EXPECT_EQ(Get(as_object, "Name"), com::Variant("tbMain"));
  EXPECT_EQ(Get(Get(as_object, "Buttons").ToObject(), "Count"), com::Variant(2));
  auto save = Get(as_object, "Buttons", {com::Variant("save")}).ToObject();
  EXPECT_EQ(Get(save, "ToolTipText"), com::Variant("1001"));
  EXPECT_EQ(Get(Get(as_object, "Buttons", {com::Variant(2)}).ToObject(), "Key"), com::Variant("Execute"));
  EXPECT_EQ(com::Variant(), Get(save, "Value"));  // a property never set reads Empty
  EXPECT_EQ(CodeOf([&] { Get(as_object, "Buttons", {com::Variant("Nope")}); }), com::hr::kSubscriptOutOfRange);

  com::SetProperty(save.get(), "Enabled", com::Variant(false));
  com::SetProperty(save.get(), "Enabled", com::Variant(false));  // no change: not heard
  toolbar->Item("Buttons", com::Variant("Execute"))->Set("Visible", com::Variant(false));
  EXPECT_EQ(heard, (std::vector<std::string>{"Save.Enabled", "Execute.Visible"}));
  EXPECT_FALSE(toolbar->Item("Buttons", com::Variant("Save"))->Enabled());
  EXPECT_TRUE(toolbar->Visible());

  // An item outlives its toolbar without telling it.
  com::Ref<Control> kept(toolbar->Item("Buttons", com::Variant(1)));
  toolbar = nullptr;
  as_object = nullptr;
  kept->Set("Enabled", com::Variant(true));
  EXPECT_EQ(heard.size(), 2u);
}

TEST(Controls, LocalizingReplacesResourceNumbersByMessages) {
  auto toolbar = com::Make<Control>("Toolbar", "tbMain");
  auto& save = toolbar->AddItem("Buttons", "Button", "Save");
  save.Set("ToolTipText", com::Variant("1001"));
  auto& print = toolbar->AddItem("Buttons", "Button", "Print");
  print.Set("ToolTipText", com::Variant("1022 and more words"));
  auto& sep = toolbar->AddItem("Buttons", "Separator", "sep1");
  sep.Set("ToolTipText", com::Variant("-"));
  print.AddItem("ButtonMenus", "ButtonMenu", "pdf").Set("Text", com::Variant("1006"));
  auto label = com::Make<Control>("Label", "lblMessage");
  label->Set("Tag", com::Variant("1025"));
  auto panel = com::Make<Control>("Panel", "Mode");
  panel->Set("Tag", com::Variant("1034"));
  panel->Set("ToolTipText", com::Variant("not a number"));
  auto zero = com::Make<Control>("Label", "lblZero");
  zero->Set("Tag", com::Variant("0"));
  zero->Set("Caption", com::Variant("kept"));

  const com::Ref<Control> all[] = {toolbar, label, panel, zero};
  LocalizeControls(all);
  EXPECT_EQ(save.Text("ToolTipText"), "Save");
  EXPECT_EQ(print.Text("ToolTipText"), "Export and print");
  EXPECT_EQ(sep.Text("ToolTipText"), "-");
  EXPECT_EQ(print.Item("ButtonMenus", com::Variant(1))->Text("Text"), "Export to picture");
  EXPECT_EQ(label->Text("Caption"), "Business-process is being converted...");
  EXPECT_EQ(panel->Text("Caption"), "Edit");
  EXPECT_EQ(panel->Text("ToolTipText"), "not a number");
  EXPECT_EQ(zero->Text("Caption"), "kept");
  EXPECT_EQ(LeadingNumber(" 42x"), 42);
  EXPECT_EQ(LeadingNumber("99999999999"), 0);
}

TEST(WaitCursor, TheCardsPointerIsTheHourglassWhileOneLives) {
  auto window = com::Make<Control>("UserControl", "Card");
  std::vector<int32_t> seen;
  window->OnChange([&](Control& c, std::string_view) { seen.push_back(c.Get("MousePointer").ToI4()); });
  {
    HourGlass outer(*window);
    EXPECT_EQ(window->Get("MousePointer"), com::Variant(11));
    {
      HourGlass inner(*window);
    }
    EXPECT_EQ(window->Get("MousePointer"), com::Variant(11));
  }
  EXPECT_EQ(window->Get("MousePointer"), com::Variant(0));
  EXPECT_EQ(seen, (std::vector<int32_t>{11, 0}));
  // Another card's pointer is its own.
  auto other = com::Make<Control>("UserControl", "Card");
  HourGlass waiting(*window);
  EXPECT_TRUE(other->Get("MousePointer").IsEmpty());
}

class QuestionWindow : public ::testing::Test {
 protected:
  // The person looks at the window and clicks through `clicks`.
  void PersonClicks(std::vector<std::string> clicks) {
    host_->person = [this, clicks](const com::Ref<com::Unknown>& form) {
      seen_caption_ = Get(form, "Caption").ToText();
      auto flag = com::CallMethod(form.get(), "Controls", std::vector{com::Variant("chkAdditionalFlag")}).ToObject();
      seen_flag_visible_ = Get(flag, "Visible").ToBool();
      seen_flag_text_ = Get(flag, "Caption").ToText();
      seen_yes_ = Get(com::CallMethod(form.get(), "Controls", std::vector{com::Variant("cmdYes")}).ToObject(),
                      "Caption").ToText();
      for (const std::string& c : clicks) com::CallMethod(form.get(), "Click", std::vector{com::Variant(c)});
    };
  }

  com::Ref<RecordingHost> host_ = com::Make<RecordingHost>();
  com::Ref<MessageBoxForm> form_ = com::Make<MessageBoxForm>();
  std::string seen_caption_, seen_flag_text_, seen_yes_;
  bool seen_flag_visible_ = false;
};

TEST_F(QuestionWindow, YesAnswersSixAndReportsTheTick) {
  PersonClicks({"chkAdditionalFlag", "cmdYes"});
  bool ticked = false;
  EXPECT_EQ(form_->ShowModal(host_.get(), Message(msg::kExportWithSubprocesses), "Export to XML", 32, 4,
                             Message(msg::kOnlyWithShift), &ticked),
            pellory::answer::kYes);
  EXPECT_TRUE(ticked);
  EXPECT_EQ(seen_caption_, "Export to XML");
  EXPECT_TRUE(seen_flag_visible_);
  EXPECT_EQ(seen_flag_text_, "Show this message only if \"Shift\" key is pressed");
  EXPECT_EQ(seen_yes_, "Yes");
  EXPECT_FALSE(form_->Visible());
}

TEST_F(QuestionWindow, NoOrClosingAnswersAndTheTickComesBackAsItStands) {
  PersonClicks({"cmdNo"});
  bool ticked = true;
  EXPECT_EQ(form_->ShowModal(host_.get(), "Import?", "Import", 32, 4, "only with Shift", &ticked),
            pellory::answer::kNo);
  EXPECT_TRUE(ticked);

  host_->person = [](const com::Ref<com::Unknown>& form) { com::CallMethod(form.get(), "Close"); };
  EXPECT_EQ(form_->ShowModal(host_.get(), "Import?", "Import", 32, 4, "", &ticked), pellory::answer::kCancel);
  // Without a check box message the box is hidden and cannot be ticked.
  PersonClicks({"chkAdditionalFlag", "cmdYes"});
  ticked = false;
  EXPECT_EQ(form_->ShowModal(host_.get(), "Import?", "Import", 32, 4, "", &ticked), pellory::answer::kYes);
  EXPECT_FALSE(seen_flag_visible_);
  EXPECT_FALSE(ticked);
  // No host can show it: unanswered.
  EXPECT_EQ(form_->ShowModal(nullptr, "Import?", "Import", 32, 4, "", &ticked), pellory::answer::kCancel);
  EXPECT_EQ(CodeOf([&] { form_->Click("cmdYes"); }), com::hr::kInvalidArg);  // not shown now
}

}  // namespace
}  // namespace card::testing
