#include "card/forms/form.h"

#include "platform/com/describe.h"
#include "platform/com/text.h"
#include "platform/pellory/card_ui.h"

namespace card {

const com::TypeInfo& FormModel::DispatchInfo() {
  static const com::TypeInfo info = com::Describe<FormModel>("_Form")
                                        .Get("Name", &FormModel::Name)
                                        .Get("Caption", &FormModel::Caption)
                                        .Get("Visible", &FormModel::Visible)
                                        .Method("Controls", &FormModel::Controls, {com::Arg("Name")})
                                        .Method("Activate", &FormModel::Activate)
                                        .Method("Click", &FormModel::Click, {com::Arg("ControlName")})
                                        .Method("Close", &FormModel::Close)
                                        .Build();
  return info;
}

FormBase::FormBase(std::initializer_list<std::pair<const char*, const char*>> controls)
    : events_(com::Make<com::EventSource>(pellory::CardWindowEvents::DispatchInfo())) {
  for (auto [kind, name] : controls) controls_.push_back(com::Make<Control>(kind, name));
  for (const auto& c : controls_) {
    c->OnChange([this](Control&, std::string_view) {
      if (visible_) events_->Raise(pellory::CardWindowEvents::kWindowChanged, {});
    });
  }
}

FormBase::~FormBase() {
  for (const auto& c : controls_) c->OnChange(nullptr);
}

Control& FormBase::Find(const std::string& name) const {
  for (const auto& c : controls_) {
    if (text::EqualNoCase(c->name(), name)) return *c;
  }
  throw com::Error(com::hr::kInvalidArg, "Form", "The form has no control \"" + name + "\"");
}

com::Ref<com::Unknown> FormBase::Controls(const std::string& name) {
  return com::Ref<com::Unknown>(static_cast<com::Unknown*>(static_cast<ControlModel*>(&Find(name))));
}

com::Ref<com::ConnectionPoint> FormBase::FindConnectionPoint(const com::Guid& iid) {
  if (iid != pellory::CardWindowEvents::kIID) throw com::Error(com::MakeHResult(0x80040200u));
  return com::Ref<com::ConnectionPoint>(events_.get());
}

std::vector<com::Guid> FormBase::ConnectionInterfaces() { return {pellory::CardWindowEvents::kIID}; }

bool FormBase::ShowThrough(com::Unknown* host) {
  if (!host) return false;
  visible_ = true;
  bool shown = true;
  try {
    const com::Variant args[] = {com::Variant(com::Ref<com::Unknown>(static_cast<com::Unknown*>(
        static_cast<FormModel*>(this))))};
    com::CallMethod(host, "ShowForm", args);
  } catch (const com::Error&) {
    // A host that cannot show the window: as if it was closed at once.
    shown = false;
  }
  visible_ = false;
  return shown;
}

}  // namespace card
