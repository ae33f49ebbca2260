#pragma once

// A designer showing a new template made through the object model on a store
// in memory, with a host that records what it is asked, and a sink that
// counts Changed.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "embedded/store/open.h"
#include "platform/com/events.h"
#include "platform/com/registry.h"
#include "platform/com/text.h"
#include "platform/designer/designer.h"
#include "vorlane/library.h"

namespace designer::testing {

using com::Variant;

// The card host as a script would write it: a dispatch object that answers
// any name. It records each call with its first argument, answers the
// instance dialog from `instance_answer`, and plays the person in the
// properties with `person`.
class RecordingHost final : public com::Object<> {
 public:
  struct Call {
    std::string name;
    std::vector<Variant> args;
  };

  com::DispId GetIDOfName(std::string_view name) override {
    names.emplace_back(name);
    return static_cast<com::DispId>(names.size());
  }
  Variant Invoke(com::DispId id, uint16_t, std::span<const Variant> args) override {
    const std::string& name = names.at(static_cast<size_t>(id) - 1);
    calls.push_back({name, {args.begin(), args.end()}});
    if (name == "ShowProperties" && person) person();
    if (name == "ShowProperties" && properties_answer) return *properties_answer;
    return name == "ShowInstanceDialog" ? Variant(instance_answer) : Variant();
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (const Call& c : calls) out.push_back(c.name);
    return out;
  }

  std::vector<Call> calls;
  int32_t instance_answer = 1;
  std::optional<Variant> properties_answer;  // unset: answers nothing
  std::function<void()> person;

 private:
  std::vector<std::string> names;
};

class ChangeCounter final : public com::Object<DesignerEvents> {
 public:
  void Changed() override { ++count; }
  int count = 0;
};

// The code a call fails with, 0 when it does not fail; the text in `text`.
inline com::HResult CodeOf(const std::function<void()>& call, std::string* text = nullptr) {
  try {
    call();
  } catch (const com::Error& e) {
    if (text) *text = e.description();
    return e.code();
  }
  return com::hr::kOk;
}

class DesignerFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    session = embedded::Open({.account = "alice"});
    library = com::Query<vorlane::Library>(com::CreateObject("QXVorlane.Library"));
    library->SetConnection(Variant(session));
    process = library->Templates()->AddNew();
    process->SetName("Order approval");
    host = com::Make<RecordingHost>();
    designer = com::Query<Designer>(com::CreateObject("QXDesigner.Designer"));
    designer->Initialize(Variant(session), Variant(host), Variant(library), Variant(process), 0);
    changes = com::Make<ChangeCounter>();
    com::Advise(designer.get(), DesignerEvents::kIID, com::Ref<com::Dispatch>(changes.get()));
  }

  // The ID of the dictionary's function (gate) type at `position`.
  std::string FunctionType(int32_t position = 1) {
    return library->Dictionary()->Functions()->Item(Variant(position))->ID();
  }
  std::string GateType(int32_t position = 1) { return library->Dictionary()->Gates()->Item(Variant(position))->ID(); }
  com::Ref<vorlane::ProcFunction> Function(const std::string& id) { return process->Functions()->Item(Variant(id)); }

  com::Ref<ostrel::Session> session;
  com::Ref<vorlane::Library> library;
  com::Ref<vorlane::Process> process;
  com::Ref<RecordingHost> host;
  com::Ref<Designer> designer;
  com::Ref<ChangeCounter> changes;
};

}  // namespace designer::testing
