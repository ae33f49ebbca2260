#pragma once

#include <string>
#include <vector>

#include "platform/com/registry.h"
#include "platform/designer/variable_service.h"
#include "vorlane/process.h"

namespace designer {

// The variable service ("QXDesigner.VariableService", creatable). It holds
// the process it checks until it is initialised again.
class VariableServiceObject final : public com::Object<VariableService> {
 public:
  static constexpr com::Guid kCLSID{"{E4A29C53-8B17-4D6F-9E02-3F5B71C8D6A9}"};

  void Initialize(const com::Variant& session, const com::Variant& pellory, const com::Variant& library,
                  const com::Variant& process, int32_t frame_value) override;
  void CheckVariable(const std::string& variable_id) override;
  std::string Findings() override;

 private:
  void CheckValue(vorlane::Variable& variable, const std::string& who);

  com::ModuleObjectCount::Token token_{com::ModuleObjects("Designer")};
  com::Ref<vorlane::Process> process_;
  std::vector<std::string> findings_;
};

}  // namespace designer
