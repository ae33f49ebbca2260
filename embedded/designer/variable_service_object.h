#pragma once

#include <string>
#include <vector>

#include "platform/com/registry.h"
#include "platform/designer/variable_service.h"
#include "vorlane/process.h"

namespace designer {

// Whether `v` is one of the variable's enumeration values, by its number or
// its text.
bool IsEnumValue(vorlane::Variable& variable, const com::Variant& v);

// The variable service ("QXDesigner.VariableService", creatable). It holds
// the process it checks until it is initialised again. Whether another
// variable has a checked variable's name is worked out when the findings
// are read, for every checked variable at once: checking each variable of a
// process costs what the process holds, not its square.
class VariableServiceObject final : public com::Object<VariableService> {
 public:
  static constexpr com::Guid kCLSID{"{E4A29C53-8B17-4D6F-9E02-3F5B71C8D6A9}"};

  void Initialize(const com::Variant& session, const com::Variant& pellory, const com::Variant& library,
                  const com::Variant& process, int32_t frame_value) override;
  void CheckVariable(const std::string& variable_id) override;
  std::string Findings() override;

 private:
  // What one CheckVariable found: its lines in order, the lines naming the
  // variables of the same name going at `name_at`.
  struct Check {
    std::string id;    // normalised
    std::string name;  // "" when it has none (or the variable is missing)
    std::string who;
    std::vector<std::string> lines;
    size_t name_at = 0;
  };
  void CheckValue(vorlane::Variable& variable, const std::string& who, std::vector<std::string>& lines);

  com::ModuleObjectCount::Token token_{com::ModuleObjects("Designer")};
  com::Ref<vorlane::Process> process_;
  std::vector<Check> checks_;
};

}  // namespace designer
