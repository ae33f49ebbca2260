#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/com/text.h"
#include "platform/com/unknown.h"
#include "platform/com/variant.h"

namespace com {

using DispId = int32_t;
// The default member (Item of a collection).
inline constexpr DispId kDispIdValue = 0;
// The enumerator of a collection, for "for each" loops.
inline constexpr DispId kDispIdNewEnum = -4;

// How a member is called; flags may be combined (Method | Get for a call
// that takes either, as scripts make).
enum InvokeFlags : uint16_t {
  kInvokeMethod = 1,
  kInvokeGet = 2,
  kInvokeLet = 4,
  kInvokeSet = 8,  // assignment of an object reference; served by a let
};

enum class MemberKind : uint8_t { Method, Get, Let };

struct ParamInfo {
  std::string name;
  Variant::Type type = Variant::Type::Any;  // what an argument is converted to
  bool optional = false;
  std::optional<Variant> default_value;     // for an optional parameter left out
};

class TypeInfo;

// One member of an interface, in its slot. For a let, the last parameter is
// the value assigned.
struct MemberInfo {
  // Calls the member on the interface pointer `self`; `args` has one value
  // per parameter, defaults already filled in.
  using Call = std::function<Variant(void* self, std::span<const Variant> args)>;

  std::string name;
  DispId id = 0;
  MemberKind kind = MemberKind::Method;
  std::vector<ParamInfo> params;
  Variant::Type result = Variant::Type::Empty;
  Guid iid;  // the interface that carries the member
  Call call;
};

// The description of one dispatch interface: its name ("_Process"), its
// IID and its members in slot order. Names bind without regard to case.
class TypeInfo {
 public:
  TypeInfo(std::string name, Guid iid, std::vector<MemberInfo> members);

  const std::string& name() const { return name_; }
  const Guid& iid() const { return iid_; }
  const std::vector<MemberInfo>& members() const { return members_; }

  std::optional<DispId> IdOfName(std::string_view name) const;
  // The member with that ID callable with `flags`; nullptr when none is.
  const MemberInfo* Find(DispId id, uint16_t flags) const;
  // Any member with that ID (for its name).
  const MemberInfo* Find(DispId id) const;

 private:
  std::string name_;
  Guid iid_;
  std::vector<MemberInfo> members_;
  std::unordered_map<std::string, DispId, text::NoCaseHash, text::NoCaseEqual> ids_;
};

// An object whose members can be called by name or dispatch ID.
class Dispatch : public virtual Unknown {
 public:
  static constexpr Guid kIID{"{00020400-0000-0000-C000-000000000046}"};

  // The description of the object's default interface; nullptr for an
  // object whose members are found only at run time (a script's sink).
  virtual const TypeInfo* GetTypeInfo() = 0;
  // Fails with 0x80020006 for an unknown name.
  virtual DispId GetIDOfName(std::string_view name) = 0;
  // Fails with 0x80020006 (no such member), 0x80020003 (no member of that
  // kind), 0x8002000E (too many arguments), 0x80020004 (a required
  // argument missing), the conversion's error for an argument that does not
  // convert, or the member's own error.
  virtual Variant Invoke(DispId id, uint16_t flags, std::span<const Variant> args) = 0;
};

// Calls member `id` of `self` as `info` describes it: checks the argument
// count, fills in defaults and converts each argument to its parameter type.
Variant InvokeMember(Unknown* self, const TypeInfo& info, DispId id, uint16_t flags,
                     std::span<const Variant> args);

// Calls by name on any object that offers Dispatch (0x80004002 when it does not).
Variant Invoke(Unknown* obj, std::string_view name, uint16_t flags, std::span<const Variant> args = {});
Variant GetProperty(Unknown* obj, std::string_view name, std::span<const Variant> args = {});
void SetProperty(Unknown* obj, std::string_view name, const Variant& value);
Variant CallMethod(Unknown* obj, std::string_view name, std::span<const Variant> args = {});

// The base of every object: the reference count, QueryInterface over the
// listed interfaces, and dispatch over the first interface's description
// (its static DispatchInfo(), when it has one).
template <class... Interfaces>
class Object : public virtual Dispatch, public Interfaces... {
 public:
  Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  void AddRef() const noexcept final { refs_.Increment(); }
  void Release() const noexcept final {
    if (refs_.Decrement()) delete this;
  }
  void* QueryInterface(const Guid& iid) noexcept override {
    if (iid == Unknown::kIID) return static_cast<Unknown*>(this);
    if (iid == Dispatch::kIID) return static_cast<Dispatch*>(this);
    void* found = nullptr;
    ((found == nullptr && iid == Interfaces::kIID ? (found = static_cast<Interfaces*>(this)) : nullptr), ...);
    return found;
  }

  const TypeInfo* GetTypeInfo() override { return DefaultInfo(); }
  DispId GetIDOfName(std::string_view name) override {
    const TypeInfo* info = GetTypeInfo();
    if (info) {
      if (auto id = info->IdOfName(name)) return *id;
    }
    throw Error(hr::kUnknownName, "", "Unknown name: " + std::string(name));
  }
  Variant Invoke(DispId id, uint16_t flags, std::span<const Variant> args) override {
    const TypeInfo* info = GetTypeInfo();
    if (!info) throw Error(hr::kUnknownName);
    return InvokeMember(static_cast<Unknown*>(this), *info, id, flags, args);
  }

 protected:
  virtual ~Object() = default;

 private:
  template <class I>
  static const TypeInfo* InfoOf() {
    if constexpr (requires { I::DispatchInfo(); }) {
      return &I::DispatchInfo();
    } else {
      return nullptr;
    }
  }
  static const TypeInfo* DefaultInfo() {
    const TypeInfo* infos[] = {InfoOf<Interfaces>()...};
    for (const TypeInfo* i : infos) {
      if (i) return i;
    }
    return nullptr;
  }

  RefCount refs_;
};

}  // namespace com
