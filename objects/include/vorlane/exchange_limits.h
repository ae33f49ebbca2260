#pragma once

#include <cstdint>

#include "platform/com/unknown.h"

namespace vorlane {

// A third interface of ProcessImportExport, for C++ programs only (it is not
// on the dispatch interface): how much an import reads. A file larger than
// the file limit is refused before it is read, and a document with one
// attribute value longer than the attribute limit is refused naming it.
// Reached with com::TryQuery<ExchangeLimits>.
class ExchangeLimits : public virtual com::Unknown {
 public:
  static constexpr com::Guid kIID{"{2C7E41B9-58D3-4A0F-B6E2-9D14A3C7F081}"};

  static constexpr uint64_t kDefaultMaxFileSize = uint64_t{1} << 30;       // 1 GiB
  static constexpr uint64_t kDefaultMaxAttributeSize = uint64_t{64} << 20;  // 64 MiB

  virtual void SetMaxFileSize(uint64_t bytes) = 0;
  virtual void SetMaxAttributeSize(uint64_t bytes) = 0;
};

}  // namespace vorlane
