#include "card/forms/message_box_form.h"

#include "card/ui/messages.h"
#include "platform/com/describe.h"
#include "platform/com/text.h"
#include "platform/pellory/host.h"

namespace card {
namespace {

// The picture the window shows (a question mark), by resource number.
constexpr int32_t kIconPicture = 111;

}  // namespace

const com::TypeInfo& FormModel::DispatchInfo() {
  static const com::TypeInfo info = com::Describe<FormModel>("_frmMessageBox")
                                        .Get("Name", &FormModel::Name)
                                        .Get("Caption", &FormModel::Caption)
                                        .Get("Visible", &FormModel::Visible)
                                        .Method("Controls", &FormModel::Controls, {com::Arg("Name")})
                                        .Method("Click", &FormModel::Click, {com::Arg("ControlName")})
                                        .Method("Close", &FormModel::Close)
                                        .Build();
  return info;
}

MessageBoxForm::MessageBoxForm() {
  for (auto [kind, name] : {std::pair{"Label", "lblMessage"}, {"CheckBox", "chkAdditionalFlag"},
                            {"CommandButton", "cmdYes"}, {"CommandButton", "cmdNo"}, {"Image", "imgIcon"}}) {
    controls_.push_back(com::Make<Control>(kind, name));
  }
}

MessageBoxForm::~MessageBoxForm() = default;

Control& MessageBoxForm::Find(const std::string& name) const {
  for (const auto& c : controls_) {
    if (text::EqualNoCase(c->name(), name)) return *c;
  }
  throw com::Error(com::hr::kInvalidArg, "frmMessageBox", "The form has no control \"" + name + "\"");
}

com::Ref<com::Unknown> MessageBoxForm::Controls(const std::string& name) {
  return com::Ref<com::Unknown>(static_cast<com::Unknown*>(static_cast<ControlModel*>(&Find(name))));
}

void MessageBoxForm::Click(const std::string& control) {
  if (!visible_) throw com::Error(com::hr::kInvalidArg, "frmMessageBox", "The form is not shown");
  Control& c = Find(control);
  if (c.name() == "cmdYes" || c.name() == "cmdNo") {
    answer_ = c.name() == "cmdYes" ? pellory::answer::kYes : pellory::answer::kNo;
    Close();
  } else if (c.name() == "chkAdditionalFlag" && c.Visible()) {
    c.Set("Value", com::Variant(int32_t{c.Get("Value").ToI4() == 1 ? 0 : 1}));
  }
}

void MessageBoxForm::Close() { visible_ = false; }

int32_t MessageBoxForm::ShowModal(com::Unknown* host, const std::string& message, const std::string& caption,
                                  int32_t /*style*/, int32_t /*buttons*/, const std::string& flag_message,
                                  bool* flag_value) {
  answer_ = pellory::answer::kCancel;
  caption_ = caption;
  Find("lblMessage").Set("Caption", com::Variant(message));
  Control& flag = Find("chkAdditionalFlag");
  flag.Set("Visible", com::Variant(!flag_message.empty()));
  flag.Set("Caption", com::Variant(flag_message));
  flag.Set("Value", com::Variant(int32_t{flag_value && *flag_value ? 1 : 0}));
  Find("cmdYes").Set("Caption", com::Variant(Message(msg::kYes)));
  Find("cmdNo").Set("Caption", com::Variant(Message(msg::kNo)));
  Find("imgIcon").Set("Picture", com::Variant(kIconPicture));
  if (host) {
    visible_ = true;
    try {
      const com::Variant args[] = {com::Variant(com::Ref<com::Unknown>(static_cast<com::Unknown*>(this)))};
      com::CallMethod(host, "ShowForm", args);
    } catch (const com::Error&) {
      // A host that cannot show the window leaves it unanswered: as closed.
    }
    visible_ = false;
  }
  if (flag_value) *flag_value = flag.Get("Value").ToI4() == 1;
  return answer_;
}

}  // namespace card
