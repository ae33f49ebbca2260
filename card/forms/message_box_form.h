#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "card/window/control.h"
#include "platform/com/dispatch.h"

namespace card {

// The two-button question window with its check box (frmMessageBox), as a
// host sees it: its name and caption, its controls by name ("lblMessage",
// "chkAdditionalFlag", "cmdYes", "cmdNo", "imgIcon"), and the person's
// input: a click on a control, or closing the window.
class FormModel : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{3D5F7A92-8C1E-4B60-A7D3-91E2C4B6F058}"};
  static const com::TypeInfo& DispatchInfo();

  virtual std::string Name() = 0;
  virtual std::string Caption() = 0;
  // True from the moment the form is shown until it is closed.
  virtual bool Visible() = 0;
  virtual com::Ref<com::Unknown> Controls(const std::string& name) = 0;
  // A click on the named control: a button answers and closes the form, a
  // check box changes its tick.
  virtual void Click(const std::string& control) = 0;
  // Closes the form without an answer from its buttons.
  virtual void Close() = 0;
};

class MessageBoxForm final : public com::Object<FormModel> {
 public:
  MessageBoxForm();
  ~MessageBoxForm() override;

  std::string Name() override { return "frmMessageBox"; }
  std::string Caption() override { return caption_; }
  bool Visible() override { return visible_; }
  com::Ref<com::Unknown> Controls(const std::string& name) override;
  void Click(const std::string& control) override;
  void Close() override;

  // Shows the question modally through the host's ShowForm and answers 6
  // (yes), 7 (no) or 2 (closed without a button, or no host could show it).
  // The check box is shown only with a `flag_message`, ticked as
  // `*flag_value`; on return `*flag_value` is whether it is ticked. `style`
  // and `buttons` are accepted and not used: the window always offers yes
  // and no.
  int32_t ShowModal(com::Unknown* host, const std::string& message, const std::string& caption, int32_t style,
                    int32_t buttons, const std::string& flag_message, bool* flag_value);

  // The controls, for a host that draws them all.
  const std::vector<com::Ref<Control>>& controls() const { return controls_; }

 private:
  Control& Find(const std::string& name) const;

  std::string caption_;
  bool visible_ = false;
  int32_t answer_ = 2;
  std::vector<com::Ref<Control>> controls_;
};

}  // namespace card
