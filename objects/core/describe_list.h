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

// A list whose items are added and removed through it: the three slots,
// then AddNew, Remove and Refresh.
template <class I>
com::TypeInfo DescribeEditableList(std::string name) {
  return DescribeList<I>(std::move(name))
      .Method("AddNew", &I::AddNew)
      .Method("Remove", &I::Remove, {com::Arg("Index")})
      .Method("Refresh", &I::Refresh, {com::Optional("DeepRefresh", false)})
      .Build();
}

}  // namespace vorlane
