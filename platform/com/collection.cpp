#include "platform/com/collection.h"

#include "platform/com/describe.h"

namespace com {

const TypeInfo& Collection::DispatchInfo() {
  static const TypeInfo info = Describe<Collection>("_Collection")
                                   .Method("Add", &Collection::Add, {Arg("Item"), Optional("Key")})
                                   .Get("Count", &Collection::Count)
                                   .Get("Item", &Collection::Item, {Arg("Index")}, kDispIdValue)
                                   .Method("Remove", &Collection::Remove, {Arg("Index")})
                                   .Get("NewEnum", &Collection::NewEnum, {}, kDispIdNewEnum)
                                   .Build();
  return info;
}

Ref<Unknown> KeyedList::NewEnum() {
  std::vector<Variant> values;
  values.reserve(items_.size());
  items_.ForEach([&](const Variant& v) { values.push_back(v); });
  return MakeEnumerator(std::move(values));
}

}  // namespace com
