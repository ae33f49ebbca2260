#include "objects/variables/variable_notificator_object.h"

#include "platform/com/describe.h"

namespace vorlane {

void VariableNotificatorObject::NotifyValueChange(const std::string& variable_id) {
  Raise(VariableNotificatorEvents::kValueChanged, variable_id);
}

void VariableNotificatorObject::NotifyVariableRemove(const std::string& variable_id) {
  Raise(VariableNotificatorEvents::kVariableRemoved, variable_id);
}

void VariableNotificatorObject::Raise(com::DispId event, const std::string& variable_id) {
  const com::Variant arg(variable_id);
  events_->Raise(event, std::span<const com::Variant>(&arg, 1));
}

com::Ref<com::ConnectionPoint> VariableNotificatorObject::FindConnectionPoint(const com::Guid& iid) {
  if (iid != VariableNotificatorEvents::kIID) throw com::Error(com::hr::kNoConnection);
  return events_;
}

const com::TypeInfo& VariableNotificator::DispatchInfo() {
  using N = VariableNotificator;
  static const com::TypeInfo info = com::Describe<N>("_VariableNotificator")
                                        .Method("NotifyValueChange", &N::NotifyValueChange, {com::Arg("VariableID")})
                                        .Method("NotifyVariableRemove", &N::NotifyVariableRemove,
                                                {com::Arg("VariableID")})
                                        .Build();
  return info;
}

const com::TypeInfo& VariableNotificatorEvents::DispatchInfo() {
  using E = VariableNotificatorEvents;
  static const com::TypeInfo info =
      com::Describe<E>("__VariableNotificator")
          .Method("ValueChanged", &E::ValueChanged, {com::Arg("VariableID")}, E::kValueChanged)
          .Method("VariableRemoved", &E::VariableRemoved, {com::Arg("VariableID")}, E::kVariableRemoved)
          .Build();
  return info;
}

}  // namespace vorlane
