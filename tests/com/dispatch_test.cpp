#include <gtest/gtest.h>

#include <cmath>
#include <new>
#include <stdexcept>

#include "platform/com/collection.h"
#include "platform/com/describe.h"
#include "platform/com/events.h"
#include "tests/com/code_of.h"

namespace com {
namespace {

enum class Shade { Light = 0, Dark = 1 };

// A small interface with one of each kind of member.
class Lamp : public virtual Dispatch {
 public:
  static constexpr Guid kIID{"{6B0A3C1E-5F27-4D8A-9E41-0C2B7A9D3F10}"};
  static const TypeInfo& DispatchInfo();

  virtual std::string Name() = 0;
  virtual void SetName(const std::string& v) = 0;
  virtual int16_t Level() = 0;
  virtual void SetLevel(int16_t v) = 0;
  virtual Shade GetShade() = 0;
  virtual double Scale(double factor, std::optional<int32_t> steps, bool round) = 0;
  virtual Variant Item(const Variant& index) = 0;
  virtual void Refresh(bool deep) = 0;
  virtual Ref<Lamp> Twin() = 0;
};

// The outgoing interface of the lamp.
class LampEvents : public virtual Dispatch {
 public:
  static constexpr Guid kIID{"{0E6A2B8C-3D14-4F5E-8A79-B1C2D3E4F506}"};
};

const TypeInfo& LampEventsInfo() {
  static const TypeInfo info("__Lamp", LampEvents::kIID,
                             {MemberInfo{"Switched", 1, MemberKind::Method, {{"On", Variant::Type::Bool, false, std::nullopt}},
                                         Variant::Type::Empty, LampEvents::kIID, nullptr}});
  return info;
}

const TypeInfo& Lamp::DispatchInfo() {
  static const TypeInfo info = Describe<Lamp>("_Lamp")
                                   .GetLet("Name", &Lamp::Name, &Lamp::SetName)
                                   .GetLet("Level", &Lamp::Level, &Lamp::SetLevel)
                                   .Get("Shade", &Lamp::GetShade)
                                   .Method("Scale", &Lamp::Scale,
                                           {Arg("Factor"), Optional("Steps"), Optional("Round", true)})
                                   .Get("Item", &Lamp::Item, {Arg("Index")}, kDispIdValue)
                                   .Method("Refresh", &Lamp::Refresh, {Optional("DeepRefresh", false)})
                                   .Get("Twin", &Lamp::Twin)
                                   .Build();
  return info;
}

class LampObject final : public Object<Lamp, ConnectionPointContainer> {
 public:
  std::string Name() override { return name_; }
  void SetName(const std::string& v) override {
    name_ = v;
    Variant on(true);
    events_->Raise(1, std::span<const Variant>(&on, 1));
  }
  int16_t Level() override { return level_; }
  void SetLevel(int16_t v) override { level_ = v; }
  Shade GetShade() override { return Shade::Dark; }
  double Scale(double factor, std::optional<int32_t> steps, bool round) override {
    double r = factor * steps.value_or(1);
    return round ? std::round(r) : r;
  }
  Variant Item(const Variant& index) override {
    // What a member may let out besides an Error.
    if (index.ToText() == "all of it") throw std::bad_alloc();
    if (index.ToText() == "out of range") throw std::out_of_range("no such lamp");
    return Variant("item " + index.ToText());
  }
  void Refresh(bool deep) override { last_deep = deep; }
  Ref<Lamp> Twin() override { return Ref<Lamp>(this); }

  Ref<ConnectionPoint> FindConnectionPoint(const Guid& iid) override {
    if (iid != LampEvents::kIID) throw Error(hr::kNoConnection);
    return events_;
  }
  std::vector<Guid> ConnectionInterfaces() override { return {LampEvents::kIID}; }

  bool last_deep = true;

 private:
  std::string name_ = "desk";
  int16_t level_ = 3;
  Ref<EventSource> events_ = Make<EventSource>(LampEventsInfo());
};

using test::CodeOf;

class DispatchTest : public ::testing::Test {
 protected:
  Ref<LampObject> lamp = Make<LampObject>();
  Unknown* obj = static_cast<Lamp*>(lamp.get());
};

TEST_F(DispatchTest, BindsNamesWithoutRegardToCaseAndIdsInSlotOrder) {
  const TypeInfo& info = Lamp::DispatchInfo();
  EXPECT_EQ(info.name(), "_Lamp");
  EXPECT_EQ(info.IdOfName("name"), 1);
  EXPECT_EQ(info.IdOfName("LEVEL"), 2);  // get and let share one ID
  EXPECT_EQ(info.IdOfName("Shade"), 3);
  EXPECT_EQ(info.IdOfName("item"), kDispIdValue);
  EXPECT_EQ(info.IdOfName("Refresh"), 5);  // the default member takes no number from the sequence
  EXPECT_FALSE(info.IdOfName("Nope"));
  EXPECT_EQ(GetProperty(obj, "nAmE").ToText(), "desk");
}

TEST_F(DispatchTest, GetsLetsAndCallsThroughNameAndId) {
  SetProperty(obj, "Name", Variant("hall"));
  EXPECT_EQ(lamp->Name(), "hall");
  // Arguments convert to the parameter's type: text to I2, rounding half to even.
  SetProperty(obj, "Level", Variant("4.5"));
  EXPECT_EQ(lamp->Level(), 4);
  EXPECT_EQ(GetProperty(obj, "Level"), Variant(int16_t{4}));
  EXPECT_EQ(GetProperty(obj, "Shade"), Variant(1));  // enumerations travel as I4

  Ref<Dispatch> d = Query<Dispatch>(obj);
  Variant idx(7);
  EXPECT_EQ(d->Invoke(kDispIdValue, kInvokeGet, std::span<const Variant>(&idx, 1)), Variant("item 7"));
  EXPECT_TRUE(GetProperty(obj, "Twin").IsObject());
  EXPECT_EQ(GetProperty(obj, "Twin").TryObject(), obj);
}

// Anything else a member lets out leaves through dispatch as an Error.
TEST_F(DispatchTest, WhatAMemberLetsOutLeavesAsAnError) {
  auto fails = [&](const char* index) -> Error {
    try {
      GetProperty(obj, "Item", std::vector{Variant(index)});
    } catch (const Error& e) {
      return e;
    }
    ADD_FAILURE() << index;
    return Error(hr::kOk);
  };
  const Error memory = fails("all of it");
  EXPECT_EQ(memory.code(), hr::kOutOfMemory);
  EXPECT_EQ(memory.description(), "Not enough memory for Item");
  const Error range = fails("out of range");
  EXPECT_EQ(range.code(), hr::kFail);
  EXPECT_EQ(range.description(), "Item failed: no such lamp");
}

TEST_F(DispatchTest, FillsOptionalArgumentsAndChecksTheRest) {
  Variant args[] = {Variant(2.5), Variant(3), Variant(false)};
  EXPECT_EQ(CallMethod(obj, "Scale", args), Variant(7.5));
  EXPECT_EQ(CallMethod(obj, "Scale", std::span(args, 1)), Variant(3.0));  // Steps missing, Round True
  Variant skipped[] = {Variant(2.5), Variant::Missing(), Variant(false)};
  EXPECT_EQ(CallMethod(obj, "Scale", skipped), Variant(2.5));
  CallMethod(obj, "Refresh");
  EXPECT_FALSE(lamp->last_deep);

  Variant four[] = {Variant(1), Variant(2), Variant(3), Variant(4)};
  EXPECT_EQ(CodeOf([&] { CallMethod(obj, "Scale", four); }), hr::kBadParamCount);
  EXPECT_EQ(CodeOf([&] { CallMethod(obj, "Scale"); }), hr::kParamNotFound);
  Variant bad[] = {Variant("abc")};
  EXPECT_EQ(CodeOf([&] { CallMethod(obj, "Scale", bad); }), hr::kTypeMismatch);
  EXPECT_EQ(CodeOf([&] { SetProperty(obj, "Level", Variant(70000)); }), hr::kOverflow);
  EXPECT_EQ(CodeOf([&] { SetProperty(obj, "Shade", Variant(0)); }), hr::kMemberNotFound);
  EXPECT_EQ(CodeOf([&] { GetProperty(obj, "Missing"); }), hr::kUnknownName);
}

TEST_F(DispatchTest, QueryInterfaceGivesOtherInterfacesOfOneObject) {
  EXPECT_EQ(TryQuery<ConnectionPointContainer>(obj).get(), static_cast<ConnectionPointContainer*>(lamp.get()));
  EXPECT_EQ(TryQuery<Unknown>(obj).get(), obj);
  EXPECT_FALSE(TryQuery<Collection>(obj));
  EXPECT_EQ(CodeOf([&] { Query<Collection>(obj); }), hr::kNoInterface);
  // Identity is the one Unknown, whichever interface it is reached from.
  Unknown* via_container = TryQuery<ConnectionPointContainer>(obj).get();
  EXPECT_EQ(static_cast<Unknown*>(via_container), obj);
}

// A sink whose members are known only at run time, as a script's are.
class RecordingSink final : public Object<> {
 public:
  const TypeInfo* GetTypeInfo() override { return nullptr; }
  DispId GetIDOfName(std::string_view) override { throw Error(hr::kUnknownName); }
  Variant Invoke(DispId id, uint16_t, std::span<const Variant> args) override {
    if (fail) throw Error(hr::kFail, "sink", "refused");
    calls.push_back({id, args.empty() ? Variant() : args[0]});
    return Variant();
  }
  std::vector<std::pair<DispId, Variant>> calls;
  bool fail = false;
};

TEST_F(DispatchTest, RaisesEventsToEverySinkUntilUnadvised) {
  auto a = Make<RecordingSink>();
  auto b = Make<RecordingSink>();
  uint32_t ca = Advise(obj, LampEvents::kIID, Ref<Dispatch>(a.get()));
  uint32_t cb = Advise(obj, LampEvents::kIID, Ref<Dispatch>(b.get()));
  EXPECT_NE(ca, cb);
  lamp->SetName("x");
  ASSERT_EQ(a->calls.size(), 1u);
  EXPECT_EQ(a->calls[0].first, 1);
  EXPECT_EQ(a->calls[0].second, Variant(true));
  EXPECT_EQ(b->calls.size(), 1u);

  Unadvise(obj, LampEvents::kIID, ca);
  lamp->SetName("y");
  EXPECT_EQ(a->calls.size(), 1u);
  EXPECT_EQ(b->calls.size(), 2u);
  EXPECT_EQ(CodeOf([&] { Unadvise(obj, LampEvents::kIID, ca); }), hr::kNoConnection);
  EXPECT_EQ(CodeOf([&] { Advise(obj, Lamp::kIID, Ref<Dispatch>(a.get())); }), hr::kNoConnection);

  // A failing sink fails the raise with its own error.
  b->fail = true;
  try {
    lamp->SetName("z");
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.description(), "refused");
  }
}

TEST(DescribeInclude, MovesTakenIdsAndKeepsEachMembersInterface) {
  const TypeInfo merged = Describe<Collection>("_Both").Include(Collection::DispatchInfo()).Include(Lamp::DispatchInfo()).Build();
  // Both have a default member: the name binds to the first one.
  EXPECT_EQ(merged.IdOfName("Item"), kDispIdValue);
  auto name = merged.IdOfName("Name");
  ASSERT_TRUE(name);
  const MemberInfo* m = merged.Find(*name, kInvokeGet);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->iid, Lamp::kIID);
  EXPECT_NE(*merged.IdOfName("Name"), *merged.IdOfName("Add"));
}

}  // namespace
}  // namespace com
