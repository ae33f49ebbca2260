// Processes written by older versions of the module: the question, and the
// conversion in its window.
#include "card/control/card_object.h"
#include "card/convert/process_converter.h"
#include "card/forms/convert_process_form.h"
#include "card/ui/messages.h"
#include "platform/com/text.h"

namespace card {

bool CardObject::CheckVersion(const com::Ref<vorlane::Process>& process) {
  const std::string version = process->Version();
  const int32_t build = process->BuildNumber();
  if (IsCurrent(version, build)) return true;
  std::string shown = version == "1" || version.empty() ? "3.0" : version;
  std::string ours = kCurrentVersion;
  if (shown == kCurrentVersion) {
    // The same version of an older build: the builds tell them apart.
    ours += "." + std::to_string(ClientVersion());
    shown += "." + std::to_string(build);
  }
  const std::string versions[] = {shown, ours};
  if (AskQuestion(Host(), 0, FormatText(Message(msg::kConvertQuestion), versions), pellory::buttons::kYesNo) ==
      pellory::answer::kYes) {
    ConvertProcess(process);
  }
  return true;
}

void CardObject::ConvertProcess(const com::Ref<vorlane::Process>& process) {
  const bool own_card = text::EqualNoCase(process->ID(), card_data_->GetID());
  com::Ref<ostrel::CardData> data = own_card ? card_data_ : session_->GetCardManager()->GetCardData(process->ID());
  modified_ = true;
  saved_ = false;
  if (com::Make<ConvertProcessForm>()->ShowModal(library_, process, Host(), data)) return;
  // The conversion stopped half way (the person was told why). What it
  // wrote in the card's bracket goes, so that a save cannot keep a process
  // that says it is current but is not: the card shows its stored state.
  if (own_card && update_->GetInUpdate()) {
    update_->CancelUpdate();
    ForgetCreatedCards();
    update_->BeginUpdate();
    process->Refresh(false);
    modified_ = new_card_;
  }
}

}  // namespace card
