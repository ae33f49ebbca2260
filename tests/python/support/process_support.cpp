// vorlane_process_support: processes for the Python tests of the object
// model, each over a new template card of one store in memory. Importing the
// module registers "QXVorlaneTest.ProcessHarness"; its NewProcess gives a
// Process, attached as the library attaches one. The object model's classes
// are linked in, as the C++ tests link them.

#include <pybind11/pybind11.h>

#include <memory>

#include "embedded/store/open.h"
#include "objects/core/card_layout.h"
#include "objects/process/process_object.h"
#include "platform/com/describe.h"
#include "platform/com/registry.h"
#include "platform/ostrel/card_manager.h"

namespace vorlane_test {
namespace {

class ProcessHarness : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{4F3A7C21-8B6D-4E19-9A52-1C7E0D3B6F84}"};
  static constexpr com::Guid kCLSID{"{9D2E5B17-3C48-4A6F-B071-6E8A2F4C1D93}"};
  static const com::TypeInfo& DispatchInfo() {
    static const com::TypeInfo info =
        com::Describe<ProcessHarness>("_ProcessHarness").Method("NewProcess", &ProcessHarness::NewProcess).Build();
    return info;
  }
  virtual com::Ref<vorlane::Process> NewProcess() = 0;
};

class ProcessHarnessObject final : public com::Object<ProcessHarness> {
 public:
  com::Ref<vorlane::Process> NewProcess() override {
    com::Ref<ostrel::Session> session = embedded::Open({.store = store_});
    com::Ref<ostrel::CardData> card =
        session->GetCardManager()->CreateCardData(vorlane::layout::kProcessCardType, ostrel::create_flag::kTemplate);
    com::Ref<vorlane::ProcessObject> process = com::Make<vorlane::ProcessObject>();
    process->Initialize(card);
    return process;
  }

 private:
  std::shared_ptr<embedded::Store> store_ = embedded::Store::Open();
};

}  // namespace
}  // namespace vorlane_test

PYBIND11_MODULE(vorlane_process_support, m) {
  using vorlane_test::ProcessHarnessObject;
  com::ClassRegistry::Instance().Register(com::ClassInfo{
      ProcessHarnessObject::kCLSID, "QXVorlaneTest.ProcessHarness", true,
      [] { return com::Ref<com::Unknown>(com::Make<ProcessHarnessObject>()); }, "vorlane_process_support"});
  m.doc() = "Processes over a store in memory, for the tests of the object model.";
}
