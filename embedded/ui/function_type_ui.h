#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/registry.h"
#include "platform/ostrel/function_ui.h"
#include "platform/ostrel/session.h"

namespace embedded::ui {

// The user-interface class of the seeded function types: one class per
// ProgID that the function-type dictionary names in "UIClass", registered
// by the store library when it loads. An object answers for the function
// types whose UIClass is its ProgID, from their rows in the dictionary of
// the session it is given (SetSession) or else of the thread's current
// session (embedded::ThreadSession), read when asked.
//
// It also converts the settings of functions written by older versions.
// Their "Data" was lines of "name=value"; it is now one element per setting,
// <Param Name="name" Value="value"/>, a line each, as the designer writes
// it. A Data that is not in the old form (empty, XML, or a line without
// "=") is left as it is.
class FunctionTypeUI final
    : public com::Object<ostrel::FunctionUI, ostrel::FunctionConversion, ostrel::SessionUser> {
 public:
  explicit FunctionTypeUI(std::string progid) : progid_(std::move(progid)) {}

  // The "DependentGates" of the function types that name this class, each
  // ID in "{UPPER-CASE}" form, joined by ";" and each once. Fails with
  // ostrel::err::kServiceUnavailable when no session is given and none is
  // open on the thread, and with the store's errors when the dictionary
  // cannot be read.
  std::string GetDependentGates() override;
  // Rewrites the function's Data from the old form (above) through the
  // process object's Functions(ID).Data.
  void ConvertFunction(const com::Variant& process, const std::string& function_id) override;
  void SetSession(const com::Variant& session) override;

  const std::string& progid() const { return progid_; }

 private:
  std::string progid_;
  com::Ref<ostrel::Session> session_;
};

// The settings text `data` in the current form; nullopt when it is not in
// the old form.
std::optional<std::string> ConvertedSettings(std::string_view data);

// The classes, one per seeded UIClass ProgID.
const std::vector<com::ClassInfo>& FunctionTypeUIClasses();

}  // namespace embedded::ui
