#include "objects/graph/proc_function_object.h"

#include "objects/core/card_layout.h"
#include "platform/com/describe.h"
#include "platform/com/text.h"

namespace vorlane {

std::string ProcFunctionObject::Data() {
  if (GetUseSparedData()) return FieldToString(SubRow(layout::kFunctionSpare)->GetField("Data"));
  return GetText("Data");
}

void ProcFunctionObject::SetData(const std::string& value) {
  if (value != Data()) PropagateData(value);
  if (text::Length(value) <= layout::kSpareThreshold) {
    // A long text left in the spare row is no longer read.
    PutText("Data", value);
    SetUseSparedData(false);
    return;
  }
  SubRow(layout::kFunctionSpare)->SetField("Data", com::Variant(value));
  PutText("Data", "");
  SetUseSparedData(true);
}

void ProcFunctionObject::PropagateData(const std::string& data) {
  com::Ref<PassStatesObject> states = StatesObject();
  states->list().GetList().ForEach([&](const com::Ref<PassStateObject>& pass) {
    pass->SetData(data);
    pass->SetHasErrors(false);
    pass->SetHasWarnings(false);
  });
}

com::Ref<PassStatesObject> ProcFunctionObject::StatesObject() {
  if (states_) return states_;
  // Stored before it is attached: when the sub-section cannot be reached,
  // later requests get the unattached collection, which fails on every use.
  states_ = com::Make<PassStatesObject>();
  com::Ref<ostrel::SubSection> sub = row().GetSubSections()->Item(layout::kPassStates);
  states_->Attach(RowContainer::Of(std::move(sub)), Data());
  return states_;
}

void ProcFunctionObject::Refresh(bool) {
  row().Refresh(false);
  states_.reset();
}

const com::TypeInfo& ProcFunction::DispatchInfo() {
  using F = ProcFunction;
  static const com::TypeInfo info =
      com::Describe<F>("_ProcFunction")
          .Get("ID", &F::ID)
          .GetLet("Caption", &F::Caption, &F::SetCaption)
          .GetLet("Description", &F::Description, &F::SetDescription)
          .GetLet("TypeID", &F::TypeID, &F::SetTypeID)
          .GetLet("CardID", &F::CardID, &F::SetCardID)
          .GetLet("WeakCardID", &F::WeakCardID, &F::SetWeakCardID)
          .GetLet("ErrDescriptionVarID", &F::ErrDescriptionVarID, &F::SetErrDescriptionVarID)
          .GetLet("ErrCodeVarID", &F::ErrCodeVarID, &F::SetErrCodeVarID)
          .GetLet("Data", &F::Data, &F::SetData)
          .GetLet("XPos", &F::XPos, &F::SetXPos)
          .GetLet("YPos", &F::YPos, &F::SetYPos)
          .GetLet("Width", &F::Width, &F::SetWidth)
          .GetLet("Height", &F::Height, &F::SetHeight)
          .GetLet("PoolingInterval", &F::PoolingInterval, &F::SetPoolingInterval)
          .GetLet("ReuseStep", &F::ReuseStep, &F::SetReuseStep)
          .Get("States", &F::States)
          .Method("Refresh", &F::Refresh, {com::Optional("DeepRefresh", false)})
          .Build();
  return info;
}

}  // namespace vorlane
