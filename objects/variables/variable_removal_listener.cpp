#include "objects/variables/variable_removal_listener.h"

#include "common/ids.h"
#include "objects/core/card_layout.h"
#include "platform/com/text.h"

namespace vorlane {

std::string RemoveIDText(const std::string& data, const std::string& id) {
  std::string out;
  size_t from = 0;
  for (size_t hit = text::FindNoCase(data, id); hit != std::string::npos; hit = text::FindNoCase(data, id, from)) {
    out.append(data, from, hit - from);
    from = hit + id.size();
  }
  out.append(data, from, std::string::npos);
  return out;
}

void VariableRemovalListener::VariableRemoved(const std::string& variable_id) {
  if (!process_) return;
  const std::string id = NormalizeID(variable_id);
  com::Ref<Functions> functions;
  int32_t count = 0;
  try {
    functions = process_->Functions();
    count = functions->Count();
  } catch (const com::Error&) {
    // The handler's errors are ignored: the variable is removed already, and
    // a process whose functions cannot be read has none to clean.
    return;
  }
  for (int32_t i = 1; i <= count; ++i) {
    try {
      com::Ref<ProcFunction> function = functions->Item(com::Variant(i));
      if (!SameID(function->TypeID(), layout::kSubProcessFunctionType)) continue;
      std::string data = function->Data();
      std::string cleaned = RemoveIDText(data, id);
      // Only a function that named the variable is written.
      if (cleaned != data) function->SetData(cleaned);
    } catch (const com::Error&) {
      // Errors are ignored function by function: one function that cannot be
      // read or written keeps its data and does not stop the walk.
    }
  }
}

}  // namespace vorlane
