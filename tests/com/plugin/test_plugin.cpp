// A small library of two classes, registered by static initialisation and
// counted for DllCanUnloadNow, as every library of the system is.

#include "tests/com/plugin/test_plugin.h"

#include "platform/com/describe.h"
#include "platform/com/registry.h"

VORLANE_COM_ENTRY_POINTS(test_plugin::kModule)

namespace test_plugin {
namespace {

class Part : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{A41E6F03-7B92-4C5D-8E17-D02B3C9F6A85}"};
  static const com::TypeInfo& DispatchInfo();
  virtual std::string Name() = 0;
};

class Greeter : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{5C83D2E7-1A40-4B96-9F2E-7D6B0C4E1A38}"};
  static const com::TypeInfo& DispatchInfo();
  virtual std::string Greet(const std::string& name) = 0;
  virtual com::Ref<Part> NewPart() = 0;
};

const com::TypeInfo& Part::DispatchInfo() {
  static const com::TypeInfo info = com::Describe<Part>("_Part").Get("Name", &Part::Name).Build();
  return info;
}

const com::TypeInfo& Greeter::DispatchInfo() {
  static const com::TypeInfo info = com::Describe<Greeter>("_Greeter")
                                        .Method("Greet", &Greeter::Greet, {com::Arg("Name")})
                                        .Method("NewPart", &Greeter::NewPart)
                                        .Build();
  return info;
}

com::ModuleObjectCount& Objects() {
  static com::ModuleObjectCount& count = com::ModuleObjects(kModule);
  return count;
}

class PartObject final : public com::Object<Part> {
 public:
  std::string Name() override { return "Part"; }

 private:
  com::ModuleObjectCount::Token token_{Objects()};
};

class GreeterObject final : public com::Object<Greeter> {
 public:
  std::string Greet(const std::string& name) override { return "Hello, " + name; }
  com::Ref<Part> NewPart() override { return com::Make<PartObject>(); }

 private:
  com::ModuleObjectCount::Token token_{Objects()};
};

const com::ClassRegistrar kGreeter{
    {kGreeterCLSID, kGreeterProgID, true, [] { return com::Ref<com::Unknown>(com::Make<GreeterObject>()); }, kModule}};
const com::ClassRegistrar kPart{{kPartCLSID, kPartProgID, false, nullptr, kModule}};

}  // namespace
}  // namespace test_plugin
