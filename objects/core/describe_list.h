#pragma once

#include "platform/com/describe.h"

namespace vorlane {

// The first three slots of every collection interface: Count, Item (the
// default member) and NewEnum (the enumerator).
template <class I>
com::Describe<I> DescribeList(std::string name) {
  com::Describe<I> d(std::move(name));
  d.Get("Count", &I::Count)
      .Get("Item", &I::Item, {com::Arg("Index")}, com::kDispIdValue)
      .Get("NewEnum", &I::NewEnum, {}, com::kDispIdNewEnum);
  return d;
}

}  // namespace vorlane
