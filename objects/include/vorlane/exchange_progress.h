#pragma once

#include <cstdint>
#include <functional>

#include "platform/com/unknown.h"

namespace vorlane {

// A second interface of ProcessImportExport, for C++ programs only (it is
// not on the dispatch interface): how far the export or import under way
// is, in function rows done out of all, so that a program can draw a
// progress bar. Reached with com::TryQuery<ExchangeProgress>.
class ExchangeProgress : public virtual com::Unknown {
 public:
  static constexpr com::Guid kIID{"{5E0D9B3A-7C21-4F6E-9A84-2B1C3D4E5F60}"};

  using Callback = std::function<void(int64_t done, int64_t total)>;
  // One callback at a time; an empty one stops the reports. A callback that
  // throws stops the call with its error.
  virtual void SetProgressCallback(Callback callback) = 0;
};

}  // namespace vorlane
