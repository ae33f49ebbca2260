#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/com/enumerator.h"
#include "platform/com/keyed.h"

namespace com {

// The keyed list of the runtime: items at 1-based positions in insertion
// order, each with an optional text key compared without regard to case.
// Clients create it ("QXVorlane.Collection") to pass ID lists in, and get
// it back where the object model hands ID lists out.
class Collection : public virtual Dispatch {
 public:
  static constexpr Guid kIID{"{3F1C2D5E-7A41-4B8C-9E2D-6C1A0B5F4E21}"};
  static constexpr Guid kCLSID{"{8D4E2A71-3C5B-4F19-A0E6-2B7D9C41F853}"};
  static const TypeInfo& DispatchInfo();

  // Fails with 0x800A01C9 when the key is already there.
  virtual void Add(const Variant& item, std::optional<std::string> key) = 0;
  virtual int32_t Count() = 0;
  // By 1-based position (a number: 0x800A0009 when out of range) or by key
  // (a text: 0x800A0005 when absent).
  virtual Variant Item(const Variant& index) = 0;
  virtual void Remove(const Variant& index) = 0;
  virtual Ref<Unknown> NewEnum() = 0;
};

// The implementation, also used directly by C++ code.
class KeyedList final : public Object<Collection> {
 public:
  void Add(const Variant& item, std::optional<std::string> key) override { items_.Add(item, std::move(key)); }
  int32_t Count() override { return static_cast<int32_t>(items_.size()); }
  Variant Item(const Variant& index) override { return items_.Item(index); }
  void Remove(const Variant& index) override { items_.Remove(index); }
  Ref<Unknown> NewEnum() override;

  // Direct access for C++ callers.
  size_t size() const { return items_.size(); }
  const Variant& at(size_t zero_based) const { return items_.at(zero_based); }
  const std::string* key_at(size_t zero_based) const { return items_.key_at(zero_based); }
  // The item under `key`, nullptr when absent.
  const Variant* Find(std::string_view key) const { return items_.Find(key); }
  bool Contains(std::string_view key) const { return Find(key) != nullptr; }
  void Clear() { items_.Clear(); }

 private:
  Keyed<Variant> items_;
};

// Registers "QXVorlane.Collection" in the process's class registry (done
// once, when the runtime library loads).
void RegisterCollectionClass();

}  // namespace com
