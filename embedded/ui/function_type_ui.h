#pragma once

#include <string>
#include <vector>

#include "platform/com/registry.h"
#include "platform/ostrel/function_ui.h"

namespace embedded::ui {

// The user-interface class of the seeded function types: one class per
// ProgID that the function-type dictionary names in "UIClass", registered
// by the store library when it loads. An object answers for the function
// types whose UIClass is its ProgID, from their rows in the dictionary of
// the thread's current session (embedded::ThreadSession), read when asked.
class FunctionTypeUI final : public com::Object<ostrel::FunctionUI> {
 public:
  explicit FunctionTypeUI(std::string progid) : progid_(std::move(progid)) {}

  // The "DependentGates" of the function types that name this class, each
  // ID in "{UPPER-CASE}" form, joined by ";" and each once. Fails with
  // ostrel::err::kServiceUnavailable when no session is open on the thread,
  // and with the store's errors when the dictionary cannot be read.
  std::string GetDependentGates() override;

  const std::string& progid() const { return progid_; }

 private:
  std::string progid_;
};

// The classes, one per seeded UIClass ProgID.
const std::vector<com::ClassInfo>& FunctionTypeUIClasses();

}  // namespace embedded::ui
