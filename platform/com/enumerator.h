#pragma once

#include <optional>
#include <vector>

#include "platform/com/dispatch.h"

namespace com {

// A forward enumerator over values (what a collection's NewEnum gives).
class Enumerator : public virtual Unknown {
 public:
  static constexpr Guid kIID{"{00020404-0000-0000-C000-000000000046}"};

  // The next value, nullopt at the end.
  virtual std::optional<Variant> Next() = 0;
  // Skips up to `count` values; false when the end came first.
  virtual bool Skip(size_t count) = 0;
  virtual void Reset() = 0;
  // A new enumerator at the same position.
  virtual Ref<Enumerator> Clone() = 0;
};

// An enumerator over a snapshot of values, taken when it is made: changes to
// the collection afterwards do not disturb a loop that is running.
Ref<Enumerator> MakeEnumerator(std::vector<Variant> items);

}  // namespace com
