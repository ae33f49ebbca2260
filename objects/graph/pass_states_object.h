#pragma once

#include "objects/core/row_list.h"
#include "objects/graph/pass_state_object.h"
#include "vorlane/pass_states.h"

namespace vorlane {

class PassStatesObject final : public RowListCollection<PassStates, PassState, PassStateObject> {
 public:
  PassStatesObject();
  // The pass-state sub-section of a function row, and the function's
  // settings text at this moment: the data of every pass state added here.
  void Attach(RowContainer container, std::string default_data);

  com::Ref<PassState> AddNew() override;

 private:
  std::string default_data_;
};

}  // namespace vorlane
