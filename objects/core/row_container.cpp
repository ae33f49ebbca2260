#include "objects/core/row_container.h"

#include "platform/ostrel/section_collection.h"

namespace vorlane {

com::Ref<ostrel::RowCollection> RowContainer::Rows() const {
  switch (target_.index()) {
    case 1: return std::get<1>(target_)->GetRows();
    case 2: return std::get<2>(target_)->GetRows();
    case 3: {
      const CardSection& c = std::get<3>(target_);
      return c.card->GetSections()->Item(c.section_id)->GetRows();
    }
    default: throw com::Error(com::hr::kObjectNotSet);
  }
}

void RowContainer::Refresh() const {
  switch (target_.index()) {
    case 1: std::get<1>(target_)->Refresh(false); return;
    case 2: std::get<2>(target_)->Refresh(false); return;
    case 3: std::get<3>(target_).card->Refresh(false); return;
    default: throw com::Error(com::hr::kObjectNotSet);
  }
}

}  // namespace vorlane
