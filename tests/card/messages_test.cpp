// The card library's texts and how it shows them: through the host's
// message service, or the plain message box without one.
#include <gtest/gtest.h>

#include <vector>

#include "card/ui/messages.h"
#include "embedded/store/open.h"
#include "common/localized_strings.h"
#include "common/module_info.h"
#include "platform/com/locale.h"
#include "platform/com/string_tables.h"
#include "platform/ostrel/card_manager.h"
#include "platform/ostrel/errors.h"
#include "platform/ostrel/session.h"
#include "tests/card/recording_host.h"

namespace card::testing {
namespace {

// A session that only knows its last error text.
class ErrorTextSession final : public com::Object<ostrel::Session> {
 public:
  explicit ErrorTextSession(std::string text) : text_(std::move(text)) {}
  com::Ref<ostrel::CardManager> GetCardManager() override { throw com::Error(com::hr::kNotImplemented); }
  com::Ref<com::Collection> GetProperties() override { throw com::Error(com::hr::kNotImplemented); }
  std::string GetLastErrorText() override { return text_; }
  com::Ref<ostrel::ProcessManager> GetProcessManager() override { throw com::Error(com::hr::kNotImplemented); }
  com::Ref<ostrel::ExtensionManager> GetExtensionManager() override { throw com::Error(com::hr::kNotImplemented); }

 private:
  std::string text_;
};

// Collects what the plain message box is asked to show, answering `answer`.
class PlainBoxes {
 public:
  explicit PlainBoxes(int32_t answer = pellory::answer::kYes) {
    SetPlainMessageBox([this, answer](const PlainBox& box) {
      boxes.push_back(box);
      return answer;
    });
  }
  ~PlainBoxes() { SetPlainMessageBox(nullptr); }
  std::vector<PlainBox> boxes;
};

TEST(Texts, FormatTextFillsEachMarkInTurn) {
  const std::string owner[] = {"bob"};
  EXPECT_EQ(FormatText(Message(msg::kReadOnlyLockedBy), owner),
            "Business-process is in read-only mode because it was locked by user 'bob'.");
  const std::string two[] = {"1.0", "4.1"};
  EXPECT_EQ(FormatText("from %s to %s", two), "from 1.0 to 4.1");
  EXPECT_EQ(FormatText("only %s", two), "only 1.0");
  EXPECT_EQ(FormatText("none %s", {}), "none %s");
  // A name that holds the mark is put in as it is, not filled in again.
  const std::string odd[] = {"50%s off", "x"};
  EXPECT_EQ(FormatText("%s and %s", odd), "50%s off and x");
}

TEST(Texts, MakeFileNameBlanksTheTenCharactersAndTrims) {
  EXPECT_EQ(MakeFileName("  \"Order\" 'a'?;:*/\\|<b>.xml "), "Order   a         b>.xml");
  EXPECT_EQ(MakeFileName("Заявка: счёт"), "Заявка  счёт");
  EXPECT_EQ(MakeFileName("???"), "");
}

TEST(Texts, PlatformRefusalsWithASubCodeBecomeTheLibrarysMessage) {
  auto refusal = [](const std::string& text) {
    return PlatformErrorText(com::Make<ErrorTextSession>(text).get());
  };
  EXPECT_EQ(refusal(ostrel::err::RefusalText(1383, "not the controller")), Message(5383));
  EXPECT_NE(Message(5383).find("controller of process"), std::string::npos);
  // A sub-code the library has no message for, or none, leaves the text.
  const std::string unknown = ostrel::err::RefusalText(1999, "something else");
  EXPECT_EQ(refusal(unknown), unknown);
  EXPECT_EQ(refusal("Korvessa.Platform.StorageServer.SoapError: 1873, 0, zero"),
            "Korvessa.Platform.StorageServer.SoapError: 1873, 0, zero");
  EXPECT_EQ(refusal("The card is locked by bob."), "The card is locked by bob.");
  EXPECT_EQ(PlatformErrorText(nullptr), "");
}

TEST(Texts, EveryMessageIsTranslatedIntoEachLanguage) {
  const std::vector<int32_t> locales = com::StringTables::Instance().Locales("Process");
  ASSERT_EQ(locales, (std::vector<int32_t>{1033, 1049, 1058, 1062, 1087}));
  const auto& own = vorlane::ThisModule().strings;
  ASSERT_GT(own.size(), 60u);
  for (const com::StringEntry& entry : own) {
    for (int32_t locale : locales) {
      if (locale == 1033) continue;
      auto text = com::StringTables::Instance().Find("Process", locale, entry.id);
      ASSERT_TRUE(text) << "message " << entry.id << " is missing in " << locale;
      // The file filter's patterns and the marks stay as they are; every
      // text has words of its own language.
      EXPECT_NE(*text, std::string(entry.text)) << "message " << entry.id << " is English in " << locale;
      auto marks = [](std::string_view s) {
        size_t n = 0;
        for (size_t at = s.find("%s"); at != std::string_view::npos; at = s.find("%s", at + 2)) ++n;
        return n;
      };
      EXPECT_EQ(marks(*text), marks(entry.text)) << "message " << entry.id << " in " << locale;
    }
  }
  // The language of the thread's session chooses the table.
  auto russian = embedded::Open({.locale = 1049});
  EXPECT_EQ(Message(msg::kModeEdit), "Редактирование");
  auto kazakh = embedded::Open({.locale = 1087});
  EXPECT_NE(Message(msg::kModeEdit), "Edit");
}

TEST(Showing, AMessageGoesToTheHostWithTheLibrarysTitle) {
  auto host = com::Make<RecordingHost>();
  ShowMessage(host.get(), 7, "Done.", pellory::icon::kSuccess);
  ShowMessageEx(host.get(), 7, "Editing allowed", "{KEY}", pellory::icon::kSuccess, pellory::buttons::kKeyed);
  ASSERT_EQ(host->shown.size(), 2u);
  EXPECT_EQ(host->shown[0].caption, "Business process definition designer");
  EXPECT_EQ(host->shown[0].text, "Done.");
  EXPECT_EQ(host->shown[0].details, "");
  EXPECT_EQ(host->shown[0].buttons, pellory::buttons::kOk);
  EXPECT_EQ(host->shown[0].owner, 7);
  EXPECT_EQ(host->shown[1].details, "{KEY}");
  EXPECT_EQ(host->shown[1].buttons, pellory::buttons::kKeyed);

  // A host that fails to show leaves the caller unharmed; a question it
  // could not ask is not answered yes.
  host->fail = true;
  ShowMessage(host.get(), 7, "lost", pellory::icon::kSuccess);
  EXPECT_EQ(AskQuestion(host.get(), 7, "Save?", pellory::buttons::kYesNoCancel), pellory::answer::kCancel);
}

TEST(Showing, AQuestionAnswersWhatThePersonChose) {
  auto host = com::Make<RecordingHost>();
  host->answers = {pellory::answer::kNo, pellory::answer::kCancel};
  EXPECT_EQ(AskQuestion(host.get(), 0, "Save?", pellory::buttons::kYesNoCancel), pellory::answer::kNo);
  EXPECT_EQ(AskQuestion(host.get(), 0, "Save?", pellory::buttons::kYesNoCancel), pellory::answer::kCancel);
  EXPECT_EQ(host->shown[0].icon, pellory::icon::kQuestion);
  EXPECT_EQ(host->shown[0].buttons, pellory::buttons::kYesNoCancel);

  // Without a host: yes and no only, unless cancel is asked for too; any
  // answer that is neither yes nor cancel is no.
  {
    PlainBoxes plain(42);
    EXPECT_EQ(AskQuestion(nullptr, 0, "Import?", pellory::buttons::kYesNo), pellory::answer::kNo);
    EXPECT_EQ(AskQuestion(nullptr, 0, "Save?", pellory::buttons::kYesNoCancel), pellory::answer::kNo);
    ASSERT_EQ(plain.boxes.size(), 2u);
    EXPECT_EQ(plain.boxes[0].buttons, pellory::buttons::kYesNo);
    EXPECT_EQ(plain.boxes[1].buttons, pellory::buttons::kYesNoCancel);
    EXPECT_EQ(plain.boxes[0].title, "Business process definition designer");
  }
  PlainBoxes cancelled(pellory::answer::kCancel);
  EXPECT_EQ(AskQuestion(nullptr, 0, "Save?", pellory::buttons::kYesNoCancel), pellory::answer::kCancel);
}

TEST(Showing, AnErrorShowsItsMessageWithTheNumberAndDescription) {
  auto host = com::Make<RecordingHost>();
  auto session = com::Make<ErrorTextSession>("disk I/O error");
  ShowError(host.get(), 0, msg::kSaveFailed, com::Error(ostrel::err::kRefused, "Ostrel", "Locked by bob."),
            session.get());
  ShowError(host.get(), 0, msg::kSaveFailed, com::Error(ostrel::err::kStorageFailure, "Ostrel", "Write failed."),
            session.get());
  ShowError(host.get(), 0, msg::kSaveFailed, com::Error(ostrel::err::kStorageFailure, "Ostrel", "Write failed."),
            nullptr);
  ShowError(host.get(), 0, msg::kSaveFailed, com::Error(com::MakeHResult(0x1Au), "", "small"), nullptr);
  ASSERT_EQ(host->shown.size(), 4u);
  EXPECT_EQ(host->shown[0].text, "Unable to save changes.");
  EXPECT_EQ(host->shown[0].details, "80040751: Locked by bob.");
  EXPECT_EQ(host->shown[0].icon, pellory::icon::kError);
  EXPECT_EQ(host->shown[1].details, "80040500: Write failed. disk I/O error");
  EXPECT_EQ(host->shown[2].details, "80040500: Write failed.");
  EXPECT_EQ(host->shown[3].details, "1A: small");

  PlainBoxes plain;
  ShowError(nullptr, 0, msg::kSaveFailed, com::Error(ostrel::err::kRefused, "Ostrel", "Locked by bob."), nullptr);
  ASSERT_EQ(plain.boxes.size(), 1u);
  EXPECT_EQ(plain.boxes[0].text, "Unable to save changes.\r\n80040751: Locked by bob.");
}

}  // namespace
}  // namespace card::testing
