// The log of a process: live messages, a variable's logged values, and the
// forward-only reader.
#include <cmath>

#include "objects/log/log_messages_object.h"
#include "objects/log/log_reader_object.h"
#include "objects/log/log_values_object.h"
#include "platform/com/registry.h"
#include "platform/com/text.h"
#include "platform/ostrel/errors.h"
#include "tests/objects/process_fixture.h"

namespace vorlane::testing {
namespace {

using com::Variant;

class LogTest : public ProcessFixture {
 protected:
  com::Ref<LogMessage> Add(const std::string& action) {
    return process->LogMessages()->AddNew(ActionTypeEnum::Information, action, 0, "", std::nullopt, std::nullopt,
                                          std::nullopt, std::nullopt);
  }
  // Messages written straight into the card's log rows.
  void AddRaw(int n) {
    auto rows = Rows(layout::kLogMessages);
    for (int i = 0; i < n; ++i) rows->AddNew(0)->SetField("Action", Variant("raw " + std::to_string(i + 1)));
  }
  static bool IsNearNow(com::Date d) { return std::fabs(d.serial - com::Now().serial) < 1.0 / 24; }
};

TEST_F(LogTest, AddNewWithOnlyTheRequiredArgumentsStoresEmptyTextsAndTheDate) {
  auto m = process->LogMessages()->AddNew(ActionTypeEnum::Warning, "Started", 0, "", std::nullopt, std::nullopt,
                                          std::nullopt, std::nullopt);
  EXPECT_EQ(m->ActionType(), ActionTypeEnum::Warning);
  EXPECT_EQ(m->Action(), "Started");
  EXPECT_EQ(m->Priority(), 0);
  for (const std::string& text : {m->FunctionName(), m->ChangeState(), m->InputParameters(),
                                  m->OutputParameters(), m->Message()}) {
    EXPECT_EQ(text, "");
  }
  EXPECT_TRUE(IsNearNow(m->MessageDate()));
  // The texts left out are stored as empty text, not left Null.
  auto row = Rows(layout::kLogMessages)->Item(Variant(0));
  EXPECT_EQ(row->GetField("Message"), Variant(""));
  EXPECT_EQ(m->ID(), NormalizeID(row->GetID()));
  // The platform stamps the row when it is written.
  EXPECT_FALSE(m->Timestamp().IsEmpty());
}

TEST_F(LogTest, ThroughDispatchTheOptionalArgumentsMayBeLeftOut) {
  Variant log(com::Ref<com::Unknown>(process->LogMessages().get()));
  Variant args[] = {Variant(int32_t{2}), Variant("Done"), Variant(int16_t{3}), Variant("Approve"),
                    Variant("Active > Done")};
  Variant m = com::CallMethod(log.TryObject(), "AddNew", args);
  EXPECT_EQ(com::GetProperty(m.TryObject(), "FunctionName"), Variant("Approve"));
  EXPECT_EQ(com::GetProperty(m.TryObject(), "ChangeState"), Variant("Active > Done"));
  EXPECT_EQ(com::GetProperty(m.TryObject(), "OutputParameters"), Variant(""));
  EXPECT_EQ(com::GetProperty(m.TryObject(), "Priority"), Variant(int16_t{3}));
  // Item is not the log's default member.
  auto info = process->LogMessages()->GetTypeInfo();
  EXPECT_EQ(info->Find(com::kDispIdValue), nullptr);
}

TEST_F(LogTest, AddNewAppendsToAListAlreadyRead) {
  auto log = process->LogMessages();
  EXPECT_EQ(log->Count(), 0);
  auto m = Add("first");
  EXPECT_EQ(log->Count(), 1);
  EXPECT_EQ(log->Item(Variant(m->ID())), m);
  // Not read yet: the next read finds the row, once.
  process->Refresh(false);
  Add("second");
  EXPECT_EQ(process->LogMessages()->Count(), 2);
}

// A message is added whole or not at all: whichever write of AddNew fails
// (the new row, or any of its nine fields), the row is gone again and the
// caller gets the storage's error.
TEST_F(LogTest, AFailedAddNewLeavesNoRowAndRaisesTheError) {
  auto log = process->LogMessages();
  Add("kept");
  ASSERT_EQ(log->Count(), 1);
  for (int nth = 1; nth <= 10; ++nth) {
    SCOPED_TRACE(nth);
    store->storage().InjectWriteFault(nth);
    EXPECT_EQ(CodeOf([&] { Add("lost"); }), ostrel::err::kStorageFailure);
    store->storage().InjectWriteFault(0);
    EXPECT_EQ(Rows(layout::kLogMessages)->Count(), 1);
    EXPECT_EQ(log->Count(), 1);
  }
  // What was written agrees: another session sees the one message.
  auto other = OtherSession("bob")->GetCardManager()->GetCardData(card->GetID());
  EXPECT_EQ(other->GetSections()->Item(layout::kLogMessages)->GetRows()->Count(), 1);
}

TEST_F(LogTest, LiveMessagesReadTheirFieldsAsTheyAreNow) {
  Add("x");
  auto m = process->LogMessages()->Item(Variant(1));
  auto row = Rows(layout::kLogMessages)->Item(Variant(0));
  row->SetField("Priority", Variant(int16_t{7}));
  EXPECT_EQ(m->Priority(), 7);
  row->SetField("ActionType", Variant::Null());
  EXPECT_EQ(m->ActionType(), ActionTypeEnum::Error);
  row->SetField("MessageDate", Variant::Null());
  EXPECT_EQ(m->MessageDate(), com::Date{});
  row->SetField("Message", Variant::Null());
  EXPECT_EQ(m->Message(), "");
}

TEST_F(LogTest, PriorityRoundsHalvesToEven) {
  Add("x");
  auto m = process->LogMessages()->Item(Variant(1));
  auto row = Rows(layout::kLogMessages)->Item(Variant(0));
  for (auto [stored, reads] : {std::pair{2.5, 2}, {3.5, 4}, {-1.5, -2}}) {
    row->SetField("Priority", Variant(stored));
    EXPECT_EQ(m->Priority(), reads) << stored;
  }
}

TEST_F(LogTest, RemoveTakesTheIdAsLogMessageGivesItInAnyCase) {
  auto log = process->LogMessages();
  auto first = Add("first");
  auto second = Add("second");
  const std::string id = second->ID();
  // Without braces the key is not found, and nothing changes.
  EXPECT_EQ(CodeOf([&] { log->Remove(id.substr(1, id.size() - 2)); }), com::hr::kInvalidProcedureCall);
  EXPECT_EQ(log->Count(), 2);
  log->Remove(text::Lower(id));
  EXPECT_EQ(log->Count(), 1);
  EXPECT_EQ(log->Item(Variant(1))->ID(), first->ID());
  EXPECT_EQ(Rows(layout::kLogMessages)->Count(), 1);
  // The removed message's row is gone: a live message fails with it.
  EXPECT_EQ(CodeOf([&] { second->Action(); }), ostrel::err::kRowDeleted);
}

TEST_F(LogTest, ClearEmptiesTheLogAndAnEmptyLogClearsQuietly) {
  auto log = process->LogMessages();
  log->Clear();
  EXPECT_EQ(log->Count(), 0);
  Add("a");
  Add("b");
  log->Clear();
  EXPECT_EQ(log->Count(), 0);
  EXPECT_EQ(Rows(layout::kLogMessages)->Count(), 0);
}

TEST_F(LogTest, ProcessHandsOutOneLogUntilRefresh) {
  auto log = process->LogMessages();
  EXPECT_EQ(process->LogMessages(), log);
  process->Refresh(false);
  EXPECT_NE(process->LogMessages(), log);
}

TEST_F(LogTest, LogValuesAreDatedAndLeaveTheVariableAlone) {
  auto variable = process->Variables()->AddNew();
  variable->SetVarType(VarTypeEnum::String);
  variable->SetValue(Variant("now"));
  auto history = variable->LogValues();
  EXPECT_EQ(variable->LogValues(), history);
  EXPECT_EQ(history->Count(), 0);
  auto v = history->AddNew("before");
  EXPECT_EQ(history->Count(), 1);
  EXPECT_EQ(v->Value(), "before");
  EXPECT_TRUE(IsNearNow(v->ChangeDate()));
  EXPECT_EQ(variable->Value(), Variant("now"));
  v->SetChangeDate(com::Date{45000.5});
  EXPECT_EQ(v->ChangeDate(), com::Date{45000.5});

  // Keyed by row ID; a text index is normalised.
  const std::string row_id = static_cast<LogValueObject*>(v.get())->GetRowID();
  EXPECT_EQ(history->Item(Variant(text::Lower(row_id.substr(1, row_id.size() - 2)))), v);
  history->AddNew("again");
  history->Remove(Variant(1));
  EXPECT_EQ(history->Count(), 1);
  EXPECT_EQ(history->Item(Variant(1))->Value(), "again");
  EXPECT_EQ(CodeOf([&] { history->Remove(Variant(2)); }), com::hr::kSubscriptOutOfRange);

  // Refresh of the variable gives a new history list.
  variable->Refresh(false);
  EXPECT_NE(variable->LogValues(), history);
}

TEST_F(LogTest, AnEmptyChangeDateFailsToRead) {
  auto history = process->Variables()->AddNew()->LogValues();
  auto v = history->AddNew("x");
  auto raw = com::Ref<ostrel::Row>(&static_cast<LogValueObject*>(v.get())->row());
  raw->SetField("ChangeDate", Variant::Null());
  EXPECT_EQ(CodeOf([&] { v->ChangeDate(); }), com::hr::kInvalidUseOfNull);
  raw->SetField("Value", Variant::Null());
  EXPECT_EQ(v->Value(), "");
}

// The creatable log classes: an object a client makes has nothing under it.
TEST_F(LogTest, CreatableLogClassesFailWithoutARow) {
  for (const char* progid : {"QXVorlane.LogMessages", "QXVorlane.LogMessage", "QXVorlane.LogValues",
                             "QXVorlane.LogValue"}) {
    SCOPED_TRACE(progid);
    auto found = com::ClassRegistry::Instance().Find(progid);
    ASSERT_TRUE(found);
    EXPECT_TRUE(found->creatable);
    com::Ref<com::Unknown> object = found->factory();
    auto dispatch = com::Query<com::Dispatch>(object);
    const com::MemberInfo& first = dispatch->GetTypeInfo()->members().front();
    std::vector<Variant> args(first.params.size(), Variant(int32_t{1}));
    EXPECT_EQ(CodeOf([&] { dispatch->Invoke(first.id, first.kind == com::MemberKind::Method ? com::kInvokeMethod
                                                                                             : com::kInvokeGet,
                                            args); }),
              com::hr::kObjectNotSet);
  }
  EXPECT_FALSE(com::ClassRegistry::Instance().Find("QXVorlane.LogReader")->creatable);
}

class LogReaderTest : public LogTest {};

TEST_F(LogReaderTest, AReaderNeverInitialisedReadsNothing) {
  auto reader = com::Make<LogReaderObject>();
  EXPECT_TRUE(reader->Closed());
  EXPECT_FALSE(reader->Read());
  EXPECT_EQ(reader->ReadCount(), 0);
  EXPECT_EQ(reader->Current(), nullptr);
  reader->CloseReader();  // nothing to close
}

TEST_F(LogReaderTest, ReadsAnEmptyLogToItsEnd) {
  auto reader = process->GetLogReader();
  EXPECT_FALSE(reader->Closed());
  EXPECT_FALSE(reader->Read());
  EXPECT_TRUE(reader->Closed());
  EXPECT_EQ(CodeOf([&] { reader->GetLogMessage(1); }), com::hr::kSubscriptOutOfRange);
}

TEST_F(LogReaderTest, ReadsOneRecordAsASnapshot) {
  auto added = process->LogMessages()->AddNew(ActionTypeEnum::Error, "Failed", 2, "Approve", std::string("s"),
                                              std::string("in"), std::string("out"), std::string("text"));
  auto reader = process->GetLogReader();
  ASSERT_TRUE(reader->Read());
  auto m = reader->Current();
  EXPECT_EQ(reader->ReadCount(), 1);
  EXPECT_EQ(m->ID(), added->ID());
  EXPECT_EQ(m->Action(), "Failed");
  EXPECT_EQ(m->FunctionName(), "Approve");
  EXPECT_EQ(m->ChangeState(), "s");
  EXPECT_EQ(m->InputParameters(), "in");
  EXPECT_EQ(m->OutputParameters(), "out");
  EXPECT_EQ(m->Message(), "text");
  EXPECT_EQ(m->Priority(), 2);
  EXPECT_EQ(m->ActionType(), ActionTypeEnum::Error);
  EXPECT_EQ(m->MessageDate(), added->MessageDate());
  EXPECT_EQ(m->Timestamp(), added->Timestamp());
  EXPECT_FALSE(reader->Read());
  EXPECT_EQ(reader->Current(), nullptr);
  // A snapshot keeps working when its row goes; the live message does not.
  process->LogMessages()->Clear();
  EXPECT_EQ(m->Action(), "Failed");
  EXPECT_EQ(CodeOf([&] { added->Action(); }), ostrel::err::kRowDeleted);
}

TEST_F(LogReaderTest, GetLogMessageReadsOnlyAsFarAsAsked) {
  AddRaw(5);
  auto reader = process->GetLogReader();
  EXPECT_EQ(reader->GetLogMessage(1)->Action(), "raw 1");
  EXPECT_EQ(reader->ReadCount(), 1);
  EXPECT_EQ(reader->GetLogMessage(1)->Action(), "raw 1");
  EXPECT_EQ(reader->ReadCount(), 1);
  EXPECT_EQ(reader->GetLogMessage(3)->Action(), "raw 3");
  EXPECT_EQ(reader->ReadCount(), 3);
  EXPECT_EQ(reader->Current()->Action(), "raw 3");
  // Earlier messages come from the list, in reading order.
  EXPECT_EQ(reader->GetLogMessage(2)->Action(), "raw 2");
  EXPECT_EQ(reader->ReadCount(), 3);
  EXPECT_EQ(CodeOf([&] { reader->GetLogMessage(0); }), com::hr::kSubscriptOutOfRange);
}

TEST_F(LogReaderTest, GetLogMessageBeyondTheEndReadsAllAndCloses) {
  AddRaw(3);
  auto reader = process->GetLogReader();
  EXPECT_EQ(CodeOf([&] { reader->GetLogMessage(10); }), com::hr::kSubscriptOutOfRange);
  EXPECT_EQ(reader->ReadCount(), 3);
  EXPECT_TRUE(reader->Closed());
  EXPECT_EQ(reader->Current(), nullptr);
  EXPECT_EQ(reader->GetLogMessage(3)->Action(), "raw 3");
}

TEST_F(LogReaderTest, CloseReaderKeepsWhatWasRead) {
  AddRaw(3);
  auto reader = process->GetLogReader();
  ASSERT_TRUE(reader->Read());
  reader->CloseReader();
  EXPECT_TRUE(reader->Closed());
  EXPECT_EQ(reader->Current(), nullptr);
  EXPECT_FALSE(reader->Read());
  EXPECT_EQ(reader->ReadCount(), 1);
  EXPECT_EQ(reader->GetLogMessage(1)->Action(), "raw 1");
  reader->CloseReader();  // a second close does nothing
}

TEST_F(LogReaderTest, EachCallGivesAnIndependentReader) {
  AddRaw(2);
  auto a = process->GetLogReader();
  auto b = process->GetLogReader();
  EXPECT_NE(a, b);
  ASSERT_TRUE(a->Read());
  ASSERT_TRUE(a->Read());
  EXPECT_TRUE(b->Read());
  EXPECT_EQ(b->Current()->Action(), "raw 1");
  // Initialize again starts a new list over the new reader.
  a->Initialize(card->GetSections()->Item(layout::kLogMessages)->OpenReader(2, 1, 0));
  EXPECT_EQ(a->ReadCount(), 0);
  ASSERT_TRUE(a->Read());
  EXPECT_EQ(a->Current()->Action(), "raw 2");
}

// A reader over records given as their row IDs, each with its ID as action.
class ScriptedReader final : public com::Object<ostrel::SectionReader> {
 public:
  explicit ScriptedReader(std::vector<std::string> ids) : ids_(std::move(ids)) {}
  bool ReadNext() override { return ++at_ < ids_.size(); }
  Variant GetField(const std::string& name) override {
    if (name == "RowID" || name == "Action") return Variant(ids_.at(at_));
    return Variant::Null();
  }
  void Close() override { at_ = ids_.size(); }

 private:
  std::vector<std::string> ids_;
  size_t at_ = static_cast<size_t>(-1);
};

TEST_F(LogReaderTest, ARowIdReadBeforeFailsInAnySpellingAndTheReaderMovesOn) {
  auto reader = com::Make<LogReaderObject>();
  reader->Initialize(com::Make<ScriptedReader>(std::vector<std::string>{
      "{0A1B2C3D-0000-4000-8000-00000000000F}", "{0a1b2c3d-0000-4000-8000-00000000000f}", "note",
      "0A1B2C3D-0000-4000-8000-00000000000F", "NOTE", "{G A}", "{g a}", "last"}));
  auto read = [&] { return CodeOf([&] { reader->Read(); }); };
  EXPECT_EQ(read(), 0);
  EXPECT_EQ(read(), com::hr::kDuplicateKey) << "the same GUID in other letters";
  EXPECT_EQ(read(), 0);
  EXPECT_EQ(read(), com::hr::kDuplicateKey) << "the same GUID without its braces";
  EXPECT_EQ(read(), com::hr::kDuplicateKey) << "a text ID in other letters";
  EXPECT_EQ(read(), 0);
  EXPECT_EQ(read(), com::hr::kDuplicateKey);
  EXPECT_EQ(read(), 0);
  EXPECT_EQ(reader->ReadCount(), 4);
  EXPECT_EQ(reader->GetLogMessage(4)->Action(), "last");
  EXPECT_EQ(reader->Current()->Action(), "last");
}

}  // namespace
}  // namespace vorlane::testing
