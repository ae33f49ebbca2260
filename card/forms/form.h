#pragma once

#include <string>
#include <vector>

#include "card/window/control.h"
#include "platform/com/dispatch.h"
#include "platform/com/events.h"

namespace card {

// A window of the library (frmMessageBox, frmConvertProcess) as a host
// sees it: its name and caption, its controls by name, and the person's
// input: a click on a control, or closing the window. A host shows it
// modally through its ShowForm, calls Activate once it is on screen, and
// hears through the form's window-changed event (the card's
// CardWindowEvents) when a control changed, so that it redraws then.
class FormModel : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{3D5F7A92-8C1E-4B60-A7D3-91E2C4B6F058}"};
  static const com::TypeInfo& DispatchInfo();

  virtual std::string Name() = 0;
  virtual std::string Caption() = 0;
  // True from the moment the form is shown until it is closed.
  virtual bool Visible() = 0;
  virtual com::Ref<com::Unknown> Controls(const std::string& name) = 0;
  // The form is on screen (each time it becomes the active window).
  virtual void Activate() = 0;
  // A click on the named control.
  virtual void Click(const std::string& control) = 0;
  // Closes the form without an answer from its buttons.
  virtual void Close() = 0;
};

// What every form has: its controls, its caption, whether it is shown, and
// its window-changed event, raised when a control changes while it is shown.
class FormBase : public com::Object<FormModel, com::ConnectionPointContainer> {
 public:
  std::string Caption() override { return caption_; }
  bool Visible() override { return visible_; }
  com::Ref<com::Unknown> Controls(const std::string& name) override;
  void Activate() override {}
  void Close() override { visible_ = false; }
  com::Ref<com::ConnectionPoint> FindConnectionPoint(const com::Guid& iid) override;
  std::vector<com::Guid> ConnectionInterfaces() override;

  // The controls, for a host that draws them all.
  const std::vector<com::Ref<Control>>& controls() const { return controls_; }

 protected:
  // The form's controls, as (kind, name) pairs.
  explicit FormBase(std::initializer_list<std::pair<const char*, const char*>> controls);
  ~FormBase() override;

  Control& Find(const std::string& name) const;
  // Shows the form modally through the host's ShowForm: returns when it is
  // closed; false when no host could show it.
  bool ShowThrough(com::Unknown* host);

  std::string caption_;
  bool visible_ = false;

 private:
  std::vector<com::Ref<Control>> controls_;
  com::Ref<com::EventSource> events_;
};

}  // namespace card
