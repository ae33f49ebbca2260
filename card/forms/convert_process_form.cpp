#include "card/forms/convert_process_form.h"

#include "card/ui/messages.h"
#include "card/window/localize.h"

namespace card {

ConvertProcessForm::ConvertProcessForm() : FormBase({{"Label", "lblMessage"}, {"ProgressBar", "pgbConvert"}}) {
  // Form_Load: the label's resource number (its Tag) becomes its text.
  Find("lblMessage").Set("Tag", com::Variant(std::to_string(msg::kConverting)));
  LocalizeControls(controls());
  caption_ = Message(msg::kConvertCaption);
  Control& bar = Find("pgbConvert");
  bar.Set("Min", com::Variant(int32_t{0}));
  bar.Set("Max", com::Variant(int32_t{100}));
  bar.Set("Value", com::Variant(int32_t{0}));
}

void ConvertProcessForm::Activate() {
  if (ran_ || !visible_) return;
  ran_ = true;
  try {
    auto converter = com::Make<ProcessConverter>();
    converter->Run(library_, process_, pellory_.get(), process_data_,
                   static_cast<com::Unknown*>(static_cast<ControlModel*>(&Find("pgbConvert"))));
    succeeded_ = true;
  } catch (const com::Error& e) {
    com::Ref<ostrel::Session> session;
    if (library_) session = com::Query<ostrel::Session>(library_->Connection().ToObject());
    ShowError(pellory_.get(), 0, msg::kConvertFailed, e, session.get());
  }
  Close();
}

void ConvertProcessForm::Click(const std::string& control) { Find(control); }

bool ConvertProcessForm::ShowModal(com::Ref<vorlane::Library> library, com::Ref<vorlane::Process> process,
                                   com::Unknown* pellory, com::Ref<ostrel::CardData> process_data) {
  library_ = std::move(library);
  process_ = std::move(process);
  pellory_ = com::Ref<com::Unknown>(pellory);
  process_data_ = std::move(process_data);
  ran_ = succeeded_ = false;
  ShowThrough(pellory);
  library_ = nullptr;
  process_ = nullptr;
  pellory_ = nullptr;
  process_data_ = nullptr;
  return succeeded_;
}

}  // namespace card
