// A pass state of a function: one way through it, with its data and constraints.
#include "objects/graph/pass_state_object.h"
#include "common/escape_codes.h"
#include "objects/core/card_layout.h"
#include "platform/com/describe.h"
#include "platform/com/text.h"

namespace vorlane {

std::string PassStateObject::Data() {
  if (GetUseSparedData()) return UnescapeLongText(FieldToString(SubRow(layout::kPassStateSpare)->GetField("Data")));
  return GetText("Data");
}

void PassStateObject::SetData(const std::string& value) {
  if (text::Length(value) <= layout::kSpareThreshold) {
    PutText("Data", value);
    SetUseSparedData(false);
    return;
  }
  // The row's own "Data" keeps its previous short text; the flag says which is in force.
  SubRow(layout::kPassStateSpare)->SetField("Data", com::Variant(EscapeLongText(value)));
  SetUseSparedData(true);
}

com::Ref<vorlane::Constraints> PassStateObject::Constraints() {
  if (!constraints_) {
    // Stored before it is attached: when the sub-section cannot be reached,
    // later requests get the unattached list, which fails on every use.
    constraints_ = com::Make<ConstraintsObject>();
    constraints_->Attach(RowContainer::Of(row().GetSubSections()->Item(layout::kConstraints)));
  }
  return constraints_;
}

void PassStateObject::Refresh(bool) {
  row().Refresh(false);
  constraints_.reset();
}

const com::TypeInfo& PassState::DispatchInfo() {
  static const com::TypeInfo info = com::Describe<PassState>("_PassState")
                                        .Get("ID", &PassState::ID)
                                        .Get("Pass", &PassState::Pass)
                                        .GetLet("Data", &PassState::Data, &PassState::SetData)
                                        .GetLet("HasErrors", &PassState::HasErrors, &PassState::SetHasErrors)
                                        .GetLet("HasWarnings", &PassState::HasWarnings, &PassState::SetHasWarnings)
                                        .GetLet("State", &PassState::State, &PassState::SetState)
                                        .Get("Constraints", &PassState::Constraints)
                                        .Method("Refresh", &PassState::Refresh, {com::Optional("DeepRefresh", false)})
                                        .Build();
  return info;
}

}  // namespace vorlane
