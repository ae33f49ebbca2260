#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "card/forms/form.h"

namespace card {

// The two-button question window with its check box (frmMessageBox): its
// controls are "lblMessage", "chkAdditionalFlag", "cmdYes", "cmdNo" and
// "imgIcon"; a click on a button answers and closes it, a click on the
// check box changes its tick.
class MessageBoxForm final : public FormBase {
 public:
  MessageBoxForm();

  std::string Name() override { return "frmMessageBox"; }
  void Click(const std::string& control) override;

  // Shows the question modally through the host's ShowForm and answers 6
  // (yes), 7 (no) or 2 (closed without a button, or no host could show it).
  // The check box is shown only with a `flag_message`, ticked as
  // `*flag_value`; on return `*flag_value` is whether it is ticked. `style`
  // and `buttons` are accepted and not used: the window always offers yes
  // and no.
  int32_t ShowModal(com::Unknown* host, const std::string& message, const std::string& caption, int32_t style,
                    int32_t buttons, const std::string& flag_message, bool* flag_value);

 private:
  int32_t answer_ = 2;
};

}  // namespace card
