#pragma once

#include "vorlane/dict_functions.h"
#include "vorlane/dict_gates.h"

namespace vorlane {

// _Dictionary: the kinds of function and gate a process may use, from the
// platform's two dictionary cards. Handed out by Library.Dictionary.
class Dictionary : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{365ECAD6-2DF1-4352-B852-BF3D917382D8}"};
  static constexpr com::Guid kCLSID{"{B6FD67B7-F85D-4D16-91EA-C2394C7B76D2}"};
  static const com::TypeInfo& DispatchInfo();

  // The function types: made on first request, the same list until Refresh.
  // When the dictionary card cannot be opened the request fails, and the
  // list stays made: later requests return it, listing nothing, until Refresh.
  virtual com::Ref<DictFunctions> Functions() = 0;
  // The gate types, as Functions.
  virtual com::Ref<DictGates> Gates() = 0;
  // Drops both lists; the next request opens the dictionary cards again.
  virtual void Refresh(bool deep_refresh) = 0;
};

}  // namespace vorlane
