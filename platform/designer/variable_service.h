#pragma once

#include <cstdint>
#include <string>

#include "platform/com/dispatch.h"

// The designer library's variable service ("QXDesigner.VariableService"): a
// container hands it the variables of a process one by one (after an import)
// and it checks each against the process, keeping what it finds for the
// container to show.
namespace designer {

class VariableService : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{5C81E2A7-0D94-4B63-A1F8-7E26C9D3B540}"};
  static const com::TypeInfo& DispatchInfo();

  // Checks variables of `process` (a vorlane::Process) from now on and
  // forgets earlier findings; the other arguments are those the designer
  // takes and are kept as they are.
  virtual void Initialize(const com::Variant& session, const com::Variant& pellory, const com::Variant& library,
                          const com::Variant& process, int32_t frame_value) = 0;
  // Checks the variable `variable_id`: it is in the process, its name is
  // not empty and no other variable has it, its stored value fits its type.
  // What it finds is kept, not raised; fails only when no process is set.
  virtual void CheckVariable(const std::string& variable_id) = 0;
  // The findings so far, one line per finding naming the variable by name
  // and ID; "" when there are none.
  virtual std::string Findings() = 0;
};

}  // namespace designer
