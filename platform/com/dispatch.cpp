#include "platform/com/dispatch.h"

#include <array>

namespace com {

TypeInfo::TypeInfo(std::string name, Guid iid, std::vector<MemberInfo> members)
    : name_(std::move(name)), iid_(iid), members_(std::move(members)) {
  for (const MemberInfo& m : members_) ids_.emplace(m.name, m.id);
}

std::optional<DispId> TypeInfo::IdOfName(std::string_view name) const {
  auto it = ids_.find(name);
  if (it == ids_.end()) return std::nullopt;
  return it->second;
}

const MemberInfo* TypeInfo::Find(DispId id, uint16_t flags) const {
  for (const MemberInfo& m : members_) {
    if (m.id != id) continue;
    if ((m.kind == MemberKind::Method && (flags & kInvokeMethod)) ||
        (m.kind == MemberKind::Get && (flags & kInvokeGet)) ||
        (m.kind == MemberKind::Let && (flags & (kInvokeLet | kInvokeSet)))) {
      return &m;
    }
  }
  return nullptr;
}

const MemberInfo* TypeInfo::Find(DispId id) const {
  for (const MemberInfo& m : members_) {
    if (m.id == id) return &m;
  }
  return nullptr;
}

namespace {

Variant Convert(const Variant& arg, const ParamInfo& p) {
  if (arg.IsMissing()) {
    if (!p.optional) throw Error(hr::kParamNotFound, "", "Argument not optional: " + p.name);
    return p.default_value ? *p.default_value : arg;
  }
  if (p.type == Variant::Type::Any) return arg;
  return arg.ChangeType(p.type);
}

}  // namespace

Variant InvokeMember(Unknown* self, const TypeInfo& info, DispId id, uint16_t flags,
                     std::span<const Variant> args) {
  const MemberInfo* m = info.Find(id, flags);
  if (!m) {
    if (info.Find(id)) throw Error(hr::kMemberNotFound);
    throw Error(hr::kUnknownName);
  }
  const size_t n = m->params.size();
  if (args.size() > n) throw Error(hr::kBadParamCount);

  std::array<Variant, 8> small;
  std::vector<Variant> large;
  std::span<Variant> conv;
  if (n <= small.size()) {
    conv = std::span<Variant>(small.data(), n);
  } else {
    large.resize(n);
    conv = large;
  }
  static const Variant kMissing = Variant::Missing();
  if (m->kind == MemberKind::Let) {
    // The assigned value is the last argument; index arguments come first.
    if (args.empty()) throw Error(hr::kParamNotFound);
    for (size_t i = 0; i + 1 < n; ++i) conv[i] = Convert(i + 1 < args.size() ? args[i] : kMissing, m->params[i]);
    conv[n - 1] = Convert(args.back(), m->params[n - 1]);
  } else {
    for (size_t i = 0; i < n; ++i) conv[i] = Convert(i < args.size() ? args[i] : kMissing, m->params[i]);
  }
  void* iface = self->QueryInterface(m->iid);
  if (!iface) throw Error(hr::kNoInterface);
  // The edge of a component: whatever else a member lets out (a failed
  // allocation among them) leaves it as an Error, so that callers that
  // handle errors handle it too.
  try {
    return m->call(iface, conv);
  } catch (const Error&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw Error(hr::kOutOfMemory, info.name(), "Not enough memory for " + m->name);
  } catch (const std::exception& e) {
    throw Error(hr::kFail, info.name(), m->name + " failed: " + e.what());
  }
}

Variant Invoke(Unknown* obj, std::string_view name, uint16_t flags, std::span<const Variant> args) {
  Ref<Dispatch> d = Query<Dispatch>(obj);
  return d->Invoke(d->GetIDOfName(name), flags, args);
}

Variant GetProperty(Unknown* obj, std::string_view name, std::span<const Variant> args) {
  return Invoke(obj, name, kInvokeGet | kInvokeMethod, args);
}

void SetProperty(Unknown* obj, std::string_view name, const Variant& value) {
  Invoke(obj, name, kInvokeLet, std::span<const Variant>(&value, 1));
}

Variant CallMethod(Unknown* obj, std::string_view name, std::span<const Variant> args) {
  return Invoke(obj, name, kInvokeMethod | kInvokeGet, args);
}

}  // namespace com
