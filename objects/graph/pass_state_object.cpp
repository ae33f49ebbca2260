#include "objects/graph/pass_state_object.h"

#include "common/escape_codes.h"
#include "objects/core/card_layout.h"
#include "objects/graph/pass_states_object.h"
#include "objects/core/describe_list.h"
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

// ---- PassStates ----

PassStatesObject::PassStatesObject() : RowListCollection({.key = KeyBy::RowIdentity}) {}

void PassStatesObject::Attach(RowContainer container, std::string default_data) {
  list_.Attach(std::move(container));
  default_data_ = std::move(default_data);
}

com::Ref<PassState> PassStatesObject::AddNew() {
  // The list is read before the row is added, so that the new pass state is
  // listed once and numbered by the pass states that were there before it.
  com::Keyed<com::Ref<PassStateObject>>& list = list_.GetList();
  com::Ref<PassStateObject> item = list_.NewRow();
  item->SetState(FuncStateEnum::NonActive);
  item->SetPass(static_cast<int32_t>(list.size()));
  item->SetData(default_data_);
  // The new row's own identity (a new GUID) becomes its "ID" too, so that
  // it is found by the same key whether it was read from rows or added here.
  std::string id = item->GetRowID();
  item->SetID(id);
  list_.Append(item, id);
  return item;
}

const com::TypeInfo& PassStates::DispatchInfo() {
  static const com::TypeInfo info =
      DescribeList<PassStates>("_PassStates")
          .Method("AddNew", &PassStates::AddNew)
          .Method("Remove", &PassStates::Remove, {com::Arg("Index")})
          .Method("Refresh", &PassStates::Refresh, {com::Optional("DeepRefresh", false)})
          .Build();
  return info;
}

}  // namespace vorlane
