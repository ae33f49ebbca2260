#pragma once

#include <string>

#include "platform/com/dispatch.h"

namespace vorlane {

// _ProcessCompare: what differs between two process documents (as
// SerializeProcess writes them, or files exported from another store)
// ("QXVorlane.ProcessCompare", creatable). Nothing is kept between calls.
//
// The process's own fields are compared, then functions, gates, links and
// variables by their ID: an item only in `after` is added, one only in
// `before` removed, one in both with other field values changed. A change
// of nothing but geometry (XPos, YPos, Width, Height, a link's Points) is a
// move, listed apart from changes that mean something. Rows inside an item
// (a variable's values, a function's pass states) count as one field each,
// named after their element. Embedded cards are not compared.
class ProcessCompare : public virtual com::Dispatch {
 public:
  static constexpr com::Guid kIID{"{5E1C7A92-3B4D-4F08-A6E1-92D0C3B7F415}"};
  static constexpr com::Guid kCLSID{"{B3F0E6D4-8A21-4C57-9E3B-6D1F2A8C0E97}"};
  static const com::TypeInfo& DispatchInfo();

  // The differences as a JSON document:
  //   {"before": {"id", "name"}, "after": {"id", "name"},
  //    "differences": [{"kind": "process"|"function"|"gate"|"link"|"variable",
  //                     "id", "caption", "change": "added"|"removed"|"changed"|"moved",
  //                     "fields": [{"name", "before", "after", "layout"}]}],
  //    "counts": {"added", "removed", "changed", "moved"}}
  // in document order: the process, then each kind, `after`'s items first.
  // A text that is not a process document fails with 0x80040001 and says
  // which of the two it is.
  virtual std::string Compare(const std::string& before, const std::string& after) = 0;
};

}  // namespace vorlane
