// vorlane_test_support: automation classes that the runtime itself does not
// have, for the tests of the Python module: an event source (for advise) and
// an object without a description (members found at run time). Importing the
// module registers "QXVorlaneTest.EventSource" and "QXVorlaneTest.Dynamic"
// in the process's class registry; the tests create them with
// vorlane.create, as a client creates any class.

#include <pybind11/pybind11.h>

#include <atomic>
#include <string>
#include <vector>

#include "platform/com/describe.h"
#include "platform/com/events.h"
#include "platform/com/registry.h"
#include "platform/com/text.h"

namespace vorlane_test {
namespace {

std::atomic<int> live_sources{0};

// The first outgoing interface: a value changed, the source closes.
class SourceEvents : public virtual com::Unknown {
 public:
  static constexpr com::Guid kIID{"{6B1E2F40-93C7-4D58-A1E2-7F3C0B9D5A11}"};
  static const com::TypeInfo& Info() {
    static const com::TypeInfo info =
        com::Describe<SourceEvents>("_TestSourceEvents")
            .Method("Changed", &SourceEvents::Changed, {com::Arg("Name"), com::Arg("Value")})
            .Method("Closing", &SourceEvents::Closing)
            .Build();
    return info;
  }
  virtual void Changed(const std::string& name, const com::Variant& value) = 0;
  virtual void Closing() = 0;
};

// The second outgoing interface, to be chosen by name.
class SourceNotices : public virtual com::Unknown {
 public:
  static constexpr com::Guid kIID{"{0D7C5A92-4E1B-4F63-B8A0-2C9E61F7D342}"};
  static const com::TypeInfo& Info() {
    static const com::TypeInfo info = com::Describe<SourceNotices>("_TestSourceNotices")
                                          .Method("Notice", &SourceNotices::Notice, {com::Arg("Text")})
                                          .Build();
    return info;
  }
  virtual void Notice(const std::string& text) = 0;
};

class TestSource : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{A43F0E6D-2B81-4C7A-9D15-E8B6C3027F94}"};
  static constexpr com::Guid kCLSID{"{5E92B7C1-0A3D-4E86-B4F2-91D7A6C8E035}"};
  static const com::TypeInfo& DispatchInfo() {
    static const com::TypeInfo info =
        com::Describe<TestSource>("_TestSource")
            .Method("Fire", &TestSource::Fire, {com::Arg("Name"), com::Arg("Value")})
            .Method("FireClosing", &TestSource::FireClosing)
            .Method("Notify", &TestSource::Notify, {com::Arg("Text")})
            .Method("TryFire", &TestSource::TryFire, {com::Arg("Name"), com::Arg("Value")})
            .Get("SinkCount", &TestSource::SinkCount)
            .GetLet("Target", &TestSource::Target, &TestSource::SetTarget)
            .Build();
    return info;
  }
  // Raises Changed(Name, Value).
  virtual void Fire(const std::string& name, const com::Variant& value) = 0;
  virtual void FireClosing() = 0;
  // Raises Notice(Text) on the second interface.
  virtual void Notify(const std::string& text) = 0;
  // Raises Changed and reports what reached the raiser: "" when every sink
  // succeeded, else the com::Error it caught as "source|0x...: description".
  virtual std::string TryFire(const std::string& name, const com::Variant& value) = 0;
  // Sinks connected to both interfaces.
  virtual int32_t SinkCount() = 0;
  // An object property: Nothing until one is assigned.
  virtual com::Ref<com::Unknown> Target() = 0;
  virtual void SetTarget(com::Ref<com::Unknown> target) = 0;
};

class TestSourceObject final : public com::Object<TestSource, com::ConnectionPointContainer> {
 public:
  TestSourceObject() { ++live_sources; }

  void Fire(const std::string& name, const com::Variant& value) override {
    com::Variant args[] = {com::Variant(name), value};
    changes_->Raise(1, args);
  }
  void FireClosing() override { changes_->Raise(2, {}); }
  void Notify(const std::string& text) override {
    com::Variant args[] = {com::Variant(text)};
    notices_->Raise(1, args);
  }
  std::string TryFire(const std::string& name, const com::Variant& value) override {
    try {
      Fire(name, value);
    } catch (const com::Error& e) {
      // This member exists to show the caller what the raiser received.
      return e.source() + "|" + e.ToString();
    }
    return "";
  }
  int32_t SinkCount() override { return static_cast<int32_t>(changes_->SinkCount() + notices_->SinkCount()); }
  com::Ref<com::Unknown> Target() override { return target_; }
  void SetTarget(com::Ref<com::Unknown> target) override { target_ = std::move(target); }

  com::Ref<com::ConnectionPoint> FindConnectionPoint(const com::Guid& iid) override {
    if (iid == SourceEvents::kIID) return changes_;
    if (iid == SourceNotices::kIID) return notices_;
    throw com::Error(com::hr::kNoConnection);
  }
  std::vector<com::Guid> ConnectionInterfaces() override { return {SourceEvents::kIID, SourceNotices::kIID}; }

 private:
  ~TestSourceObject() override { --live_sources; }

  com::Ref<com::EventSource> changes_ = com::Make<com::EventSource>(SourceEvents::Info());
  com::Ref<com::EventSource> notices_ = com::Make<com::EventSource>(SourceNotices::Info());
  com::Ref<com::Unknown> target_;
};

// An object whose members are known only at run time, as a script's are:
// Value (a property) and Twice(x) (a method).
class DynamicObject final : public com::Dispatch {
 public:
  static constexpr com::Guid kCLSID{"{C7A1D3E5-6F28-4B90-8E4D-13B5F7092A6C}"};

  void AddRef() const noexcept override { refs_.Increment(); }
  void Release() const noexcept override {
    if (refs_.Decrement()) delete this;
  }
  void* QueryInterface(const com::Guid& iid) noexcept override {
    if (iid == com::Unknown::kIID) return static_cast<com::Unknown*>(this);
    if (iid == com::Dispatch::kIID) return static_cast<com::Dispatch*>(this);
    return nullptr;
  }
  const com::TypeInfo* GetTypeInfo() override { return nullptr; }
  com::DispId GetIDOfName(std::string_view name) override {
    if (text::EqualNoCase(name, "Value")) return kValue;
    if (text::EqualNoCase(name, "Twice")) return kTwice;
    throw com::Error(com::hr::kUnknownName);
  }
  com::Variant Invoke(com::DispId id, uint16_t flags, std::span<const com::Variant> args) override {
    if (id == kValue && (flags & com::kInvokeGet) && args.empty()) return value_;
    if (id == kValue && (flags & (com::kInvokeLet | com::kInvokeSet)) && args.size() == 1) {
      value_ = args[0];
      return com::Variant();
    }
    if (id == kTwice && (flags & com::kInvokeMethod)) {
      if (args.size() != 1) throw com::Error(com::hr::kBadParamCount);
      return com::Variant(args[0].ToI4() * 2);
    }
    if (id == kValue || id == kTwice) throw com::Error(com::hr::kMemberNotFound);
    throw com::Error(com::hr::kUnknownName);
  }

 private:
  static constexpr com::DispId kValue = 1;
  static constexpr com::DispId kTwice = 2;
  ~DynamicObject() = default;

  com::RefCount refs_;
  com::Variant value_;
};

}  // namespace
}  // namespace vorlane_test

PYBIND11_MODULE(vorlane_test_support, m) {
  using vorlane_test::TestSourceObject;
  com::ClassRegistry::Instance().Register(com::ClassInfo{
      TestSourceObject::kCLSID, "QXVorlaneTest.EventSource", true,
      [] { return com::Ref<com::Unknown>(com::Make<TestSourceObject>()); }, "vorlane_test_support"});
  com::ClassRegistry::Instance().Register(com::ClassInfo{
      vorlane_test::DynamicObject::kCLSID, "QXVorlaneTest.Dynamic", true,
      [] { return com::Ref<com::Unknown>::Adopt(new vorlane_test::DynamicObject()); }, "vorlane_test_support"});
  m.def("live_sources", [] { return vorlane_test::live_sources.load(); },
        "The number of event source objects alive: the tests check that proxies and sinks let them go.");
}
