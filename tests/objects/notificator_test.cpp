// Change notification: the notificator's events, when variables raise them,
// and the process's own handling of a removed variable.
#include <gtest/gtest.h>

#include "tests/objects/notification_recorder.h"
#include "tests/objects/process_fixture.h"

namespace vorlane::testing {
namespace {

using com::Variant;

constexpr char kSubProcessType[] = "{2BF8B01D-3EDF-40C2-8C94-C6F5F3BC82AC}";
// "Notifiсator" with the Cyrillic "с" (U+0441) as its seventh letter.
constexpr char kNotificatorName[] = "Notifi\u0441ator";

class NotificatorTest : public ProcessFixture {
 protected:
  void SetUp() override {
    ProcessFixture::SetUp();
    heard = NotificationRecorder::On(process->Notificator());
  }
  com::Ref<NotificationRecorder> heard;
};

TEST_F(NotificatorTest, TheEventsHaveTheirDispatchIDs) {
  const com::TypeInfo& events = VariableNotificatorEvents::DispatchInfo();
  EXPECT_EQ(events.name(), "__VariableNotificator");
  EXPECT_EQ(events.iid(), com::Guid("{CDF72669-775E-4BAD-875C-6EC9FB374E9A}"));
  EXPECT_EQ(events.IdOfName("ValueChanged"), 1);
  EXPECT_EQ(events.IdOfName("VariableRemoved"), 2);

  com::Ref<com::ConnectionPointContainer> points = com::Query<com::ConnectionPointContainer>(process->Notificator());
  EXPECT_EQ(points->ConnectionInterfaces(), std::vector<com::Guid>{VariableNotificatorEvents::kIID});
  EXPECT_EQ(CodeOf([&] { points->FindConnectionPoint(Variables::kIID); }), com::hr::kNoConnection);

  // Calls through dispatch raise the events as they are.
  Variant id("any text");
  com::CallMethod(process->Notificator().get(), "NotifyValueChange", std::span(&id, 1));
  com::CallMethod(process->Notificator().get(), "NotifyVariableRemove", std::span(&id, 1));
  EXPECT_EQ(heard->changed, std::vector<std::string>{"any text"});
  EXPECT_EQ(heard->removed, std::vector<std::string>{"any text"});
}

TEST_F(NotificatorTest, TheProcessHandsOutOneNotificatorByItsCyrillicName) {
  com::Ref<VariableNotificator> n = process->Notificator();
  EXPECT_EQ(com::GetProperty(process.get(), kNotificatorName).TryObject(), static_cast<com::Unknown*>(n.get()));
  // Not by the Latin spelling.
  EXPECT_EQ(CodeOf([&] { com::GetProperty(process.get(), "Notificator"); }), com::hr::kUnknownName);
  // By its dispatch ID, which follows RefreshPeriod in the type library.
  const com::TypeInfo& info = Process::DispatchInfo();
  std::optional<com::DispId> id = info.IdOfName(kNotificatorName);
  ASSERT_TRUE(id);
  EXPECT_EQ(*id, *info.IdOfName("RefreshPeriod") + 1);
  com::Ref<com::Dispatch> d = com::Query<com::Dispatch>(process.get());
  EXPECT_EQ(d->Invoke(*id, com::kInvokeGet, {}).TryObject(), static_cast<com::Unknown*>(n.get()));
  EXPECT_EQ(*info.IdOfName("Functions"), *id + 1);
  EXPECT_EQ(*info.IdOfName("Variables"), *id + 4);
  EXPECT_EQ(*info.IdOfName("DocTypes"), *id + 5);
}

TEST_F(NotificatorTest, AValueWriteIsToldOnlyWhenTheValueChanges) {
  struct Step {
    Variant value;
    bool told;
  } steps[] = {
      {Variant::Null(), false},  // Null to Null
      {Variant(5), true},        // Null to a value
      {Variant(5), false},       // an equal value
      {Variant(5.0), false},     // equal by value, of another type
      {Variant("5"), true},      // a text never equals a number
      {Variant("a"), true},
      {Variant("A"), true},      // texts compare case-sensitively
      {Variant::Null(), true},   // a value to Null
      {Variant(), true},         // Empty is not Null
      {Variant(0), false},       // Empty equals 0
  };
  com::Ref<Variable> v = process->Variables()->AddNew();
  for (const Step& s : steps) {
    SCOPED_TRACE(com::DebugString(s.value));
    heard->Clear();
    v->SetValue(s.value);
    EXPECT_EQ(heard->changed, s.told ? std::vector<std::string>{v->ID()} : std::vector<std::string>{});
  }
}

TEST_F(NotificatorTest, OnlyValueChangesAndRemovalsAreTold) {
  com::Ref<Variables> list = process->Variables();
  com::Ref<Variable> v = list->AddNew();
  v->SetVarType(VarTypeEnum::String);
  v->SetDisplayValue("shown");
  v->SetDefaultValue(Variant("d"));
  v->SetIsRequered(true);
  v->Refresh(false);
  list->Refresh(false);
  com::Ref<Values> values = list->Item(Variant(1))->Values();
  EXPECT_TRUE(heard->changed.empty());
  EXPECT_TRUE(heard->removed.empty());
}

TEST_F(NotificatorTest, ARemovedVariableIsToldByItsID) {
  com::Ref<Variables> list = process->Variables();
  com::Ref<Variable> a = list->AddNew();
  com::Ref<Variable> b = list->AddNew();
  com::Ref<Variable> c = list->AddNew();
  const std::string id_a = a->ID(), id_b = b->ID(), id_c = c->ID();
  list->Remove(Variant(2));  // by position: the ID, not "2"
  list->Remove(Variant(text::Lower(id_c.substr(1, 36))));
  EXPECT_EQ(heard->removed, (std::vector<std::string>{id_b, id_c}));
  EXPECT_EQ(CodeOf([&] { list->Remove(Variant(5)); }), com::hr::kSubscriptOutOfRange);
  EXPECT_EQ(heard->removed.size(), 2u);
  EXPECT_TRUE(heard->changed.empty());
  EXPECT_EQ(list->Item(Variant(1))->ID(), id_a);
}

TEST_F(NotificatorTest, AnotherProcessOverTheSameCardIsNotHeard) {
  com::Ref<ProcessObject> other = Attach(card);
  com::Ref<Variable> v = other->Variables()->AddNew();
  v->SetValue(Variant(1));
  v->Values()->AddNew(Variant(2));
  other->Variables()->Remove(Variant(1));
  EXPECT_TRUE(heard->changed.empty());
  EXPECT_TRUE(heard->removed.empty());
}

// A client whose handler fails with its own code.
class FailingSink final : public com::Object<VariableNotificatorEvents> {
 public:
  explicit FailingSink(com::HResult code) : code_(code) {}
  void ValueChanged(const std::string&) override { throw com::Error(code_, "sink", "the client failed"); }
  void VariableRemoved(const std::string&) override { throw com::Error(code_, "sink", "the client failed"); }

 private:
  com::HResult code_;
};

TEST_F(NotificatorTest, EverySinkHearsTheEventAndTheFirstFailureComesAfterTheWrite) {
  // heard (connected first) | fails 0x80040111 | later | fails 0x80040222
  com::Advise(process->Notificator().get(), VariableNotificatorEvents::kIID, com::Make<FailingSink>(0x80040111));
  com::Ref<NotificationRecorder> later = NotificationRecorder::On(process->Notificator());
  com::Advise(process->Notificator().get(), VariableNotificatorEvents::kIID, com::Make<FailingSink>(0x80040222));

  com::Ref<Variable> v = process->Variables()->AddNew();
  const std::string id = v->ID();
  EXPECT_EQ(CodeOf([&] { v->SetValue(Variant(7)); }), static_cast<com::HResult>(0x80040111));
  EXPECT_EQ(heard->changed, std::vector<std::string>{id});
  EXPECT_EQ(later->changed, std::vector<std::string>{id});
  EXPECT_EQ(v->Value().ToI4(), 7);  // the write stays

  // The same through a list's removal: the row is gone, every sink was told.
  EXPECT_EQ(CodeOf([&] { v->Values()->AddNew(Variant(1)); }), static_cast<com::HResult>(0x80040111));
  ASSERT_EQ(v->Values()->Count(), 1);
  EXPECT_EQ(CodeOf([&] { v->Values()->Remove(Variant(1)); }), static_cast<com::HResult>(0x80040111));
  EXPECT_EQ(v->Values()->Count(), 0);
  EXPECT_EQ(later->changed.size(), 3u);
  EXPECT_EQ(CodeOf([&] { process->Variables()->Remove(Variant(id)); }), static_cast<com::HResult>(0x80040111));
  EXPECT_EQ(process->Variables()->Count(), 0);
  EXPECT_EQ(heard->removed, std::vector<std::string>{id});
  EXPECT_EQ(later->removed, std::vector<std::string>{id});
}

class RemovalTest : public NotificatorTest {
 protected:
  com::Ref<ProcFunction> NewFunction(const std::string& type, const std::string& data) {
    com::Ref<ProcFunction> f = process->Functions()->AddNew();
    f->SetTypeID(type);
    f->SetData(data);
    return f;
  }
};

TEST_F(RemovalTest, TheRemovedIDLeavesTheDataOfSubProcessFunctionsOnly) {
  com::Ref<Variable> v = process->Variables()->AddNew();
  const std::string id = v->ID();
  const std::string lower = text::Lower(id);
  com::Ref<ProcFunction> sub = NewFunction(kSubProcessType, "in=" + lower + ";out=" + id + ";");
  // The type ID compared as an ID: any case, braces optional.
  com::Ref<ProcFunction> sub_bare = NewFunction(text::Lower(std::string(kSubProcessType).substr(1, 36)), id);
  com::Ref<ProcFunction> other = NewFunction("{00000000-0000-0000-0000-000000000001}", "in=" + id);
  com::Ref<ProcFunction> untyped = NewFunction("", id);
  // Long data (kept in the spare row) is cleaned the same way.
  const std::string long_data = Cyrillic(2000) + id;
  com::Ref<ProcFunction> sub_long = NewFunction(kSubProcessType, long_data);

  process->Variables()->Remove(Variant(1));  // by position: the handler is told the ID
  EXPECT_EQ(sub->Data(), "in=;out=;");
  EXPECT_EQ(sub_bare->Data(), "");
  EXPECT_EQ(other->Data(), "in=" + id);
  EXPECT_EQ(untyped->Data(), id);
  EXPECT_EQ(sub_long->Data(), Cyrillic(2000));
}

TEST_F(RemovalTest, TheEventsArgumentIsTakenAsAnIDInAnyForm) {
  const char* forms[] = {"ab-cd", "{ab-cd}", " AB-CD ", "{AB-CD}"};
  for (const char* form : forms) {
    SCOPED_TRACE(form);
    com::Ref<ProcFunction> f = NewFunction(kSubProcessType, "x{ab-cd}y{AB-CD}z");
    process->Notificator()->NotifyVariableRemove(form);
    EXPECT_EQ(f->Data(), "xyz");
  }
}

TEST_F(RemovalTest, AFunctionThatCannotBeReadDoesNotStopTheWalk) {
  com::Ref<ProcFunction> gone = NewFunction(kSubProcessType, "{V}");
  com::Ref<ProcFunction> kept = NewFunction(kSubProcessType, "{V}");
  ASSERT_EQ(process->Functions()->Count(), 2);
  // The first function's row goes behind the list's back: its wrapper fails.
  Rows(layout::kFunctions)->Remove(Variant(0));
  process->Notificator()->NotifyVariableRemove("{V}");
  EXPECT_EQ(kept->Data(), "");
  EXPECT_EQ(heard->removed, std::vector<std::string>{"{V}"});  // and the client is still told
}

TEST_F(RemovalTest, TheNotificatorOutlivesItsProcessSafely) {
  com::Ref<ProcessObject> other = Attach(card);
  com::Ref<Variables> list = other->Variables();
  com::Ref<NotificationRecorder> client = NotificationRecorder::On(other->Notificator());
  const std::string id = list->AddNew()->ID();
  com::Ref<ProcFunction> f = NewFunction(kSubProcessType, id);
  // The process goes while its list and notificator stay; its listener,
  // still connected, is detached and ignores the removal.
  other.reset();
  list->Remove(Variant(id));
  EXPECT_EQ(client->removed, std::vector<std::string>{id});
  EXPECT_EQ(f->Data(), id);
}

}  // namespace
}  // namespace vorlane::testing
