#include "card/forms/message_box_form.h"

#include "card/ui/messages.h"
#include "platform/com/text.h"
#include "platform/pellory/host.h"

namespace card {
namespace {

// The picture the window shows (a question mark), by resource number.
constexpr int32_t kIconPicture = 111;

}  // namespace

MessageBoxForm::MessageBoxForm()
    : FormBase({{"Label", "lblMessage"},
                {"CheckBox", "chkAdditionalFlag"},
                {"CommandButton", "cmdYes"},
                {"CommandButton", "cmdNo"},
                {"Image", "imgIcon"}}) {}

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
  // A host that cannot show the window leaves it unanswered: as closed.
  if (!ShowThrough(host)) answer_ = pellory::answer::kCancel;
  if (flag_value) *flag_value = flag.Get("Value").ToI4() == 1;
  return answer_;
}

}  // namespace card
