#pragma once

#include <string>

#include "card/convert/process_converter.h"
#include "card/forms/form.h"
#include "platform/ostrel/ostrel.h"
#include "vorlane/library.h"
#include "vorlane/process.h"

namespace card {

// The window that converts a process (frmConvertProcess): a label
// ("lblMessage") saying what happens and a progress bar ("pgbConvert",
// with Min, Max and Value) that moves one step per function. It runs the
// conversion when it is first activated and then closes itself; a failure
// is shown to the person (message 1026).
class ConvertProcessForm final : public FormBase {
 public:
  ConvertProcessForm();

  std::string Name() override { return "frmConvertProcess"; }
  void Activate() override;
  // The form has no buttons: a click changes nothing.
  void Click(const std::string& control) override;

  // Shows the form modally through the host's services object `pellory` and
  // converts the process while it is shown. True when the conversion ran
  // to its end; the form keeps nothing afterwards.
  bool ShowModal(com::Ref<vorlane::Library> library, com::Ref<vorlane::Process> process, com::Unknown* pellory,
                 com::Ref<ostrel::CardData> process_data);

 private:
  com::Ref<vorlane::Library> library_;
  com::Ref<vorlane::Process> process_;
  com::Ref<com::Unknown> pellory_;
  com::Ref<ostrel::CardData> process_data_;
  bool ran_ = false;
  bool succeeded_ = false;
};

}  // namespace card
