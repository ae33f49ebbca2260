#pragma once

// Builds a TypeInfo from member function pointers of an interface:
//
//   static const com::TypeInfo info = com::Describe<Gate>("_Gate")
//       .Get("ID", &Gate::ID)
//       .GetLet("Caption", &Gate::Caption, &Gate::SetCaption)
//       .Method("Refresh", &Gate::Refresh, {com::Optional("DeepRefresh", false)})
//       .Build();
//
// Members keep the order in which they are added (their slots). Dispatch IDs
// are given in that order from 1 up, a get and a let of one name sharing
// one; an explicit ID (kDispIdValue, kDispIdNewEnum) overrides.
// Include this only where a description is built: it is template-heavy.

#include <initializer_list>
#include <type_traits>

#include "platform/com/dispatch.h"

namespace com {

// A parameter as the builder is told of it.
struct ParamSpec {
  std::string name;
  bool optional = false;
  std::optional<Variant> default_value;
};
inline ParamSpec Arg(std::string name) { return ParamSpec{std::move(name), false, std::nullopt}; }
inline ParamSpec Optional(std::string name) { return ParamSpec{std::move(name), true, std::nullopt}; }
template <class T>
ParamSpec Optional(std::string name, T default_value) {
  return ParamSpec{std::move(name), true, Variant(default_value)};
}

namespace describe_detail {

template <class T>
struct Value;  // how a C++ type crosses dispatch

template <>
struct Value<Variant> {
  static constexpr Variant::Type kType = Variant::Type::Any;
  static const Variant& From(const Variant& v) { return v; }
  static Variant To(Variant v) { return v; }
};
template <>
struct Value<bool> {
  static constexpr Variant::Type kType = Variant::Type::Bool;
  static bool From(const Variant& v) { return v.IsMissing() ? false : v.ToBool(); }
  static Variant To(bool v) { return Variant(v); }
};
template <>
struct Value<int16_t> {
  static constexpr Variant::Type kType = Variant::Type::I2;
  static int16_t From(const Variant& v) { return v.IsMissing() ? 0 : v.ToI2(); }
  static Variant To(int16_t v) { return Variant(v); }
};
template <>
struct Value<int32_t> {
  static constexpr Variant::Type kType = Variant::Type::I4;
  static int32_t From(const Variant& v) { return v.IsMissing() ? 0 : v.ToI4(); }
  static Variant To(int32_t v) { return Variant(v); }
};
template <>
struct Value<float> {
  static constexpr Variant::Type kType = Variant::Type::R4;
  static float From(const Variant& v) { return v.IsMissing() ? 0.f : v.ToR4(); }
  static Variant To(float v) { return Variant(v); }
};
template <>
struct Value<double> {
  static constexpr Variant::Type kType = Variant::Type::R8;
  static double From(const Variant& v) { return v.IsMissing() ? 0.0 : v.ToR8(); }
  static Variant To(double v) { return Variant(v); }
};
template <>
struct Value<Date> {
  static constexpr Variant::Type kType = Variant::Type::Date;
  static Date From(const Variant& v) { return v.IsMissing() ? Date{} : v.ToDate(); }
  static Variant To(Date v) { return Variant(v); }
};
template <>
struct Value<std::string> {
  static constexpr Variant::Type kType = Variant::Type::Text;
  static std::string From(const Variant& v) { return v.IsMissing() ? std::string() : v.ToText(); }
  static Variant To(std::string v) { return Variant(std::move(v)); }
};
// Enumerations travel as I4.
template <class E>
  requires std::is_enum_v<E>
struct Value<E> {
  static constexpr Variant::Type kType = Variant::Type::I4;
  static E From(const Variant& v) { return static_cast<E>(v.IsMissing() ? 0 : v.ToI4()); }
  static Variant To(E v) { return Variant(static_cast<int32_t>(v)); }
};
// Objects: an argument is asked for the interface the parameter names.
template <class I>
struct Value<Ref<I>> {
  static constexpr Variant::Type kType = Variant::Type::Object;
  static Ref<I> From(const Variant& v) {
    if (v.IsMissing()) return nullptr;
    Ref<Unknown> o = v.ToObject();
    if (!o) return nullptr;
    if constexpr (std::is_same_v<I, Unknown>) {
      return o;
    } else {
      Ref<I> r = TryQuery<I>(o.get());
      if (!r) throw Error(hr::kTypeMismatch);
      return r;
    }
  }
  static Variant To(const Ref<I>& v) { return Variant(Ref<Unknown>(static_cast<Unknown*>(v.get()))); }
};
// An optional parameter without a default: nullopt when left out.
template <class T>
struct Value<std::optional<T>> {
  static constexpr Variant::Type kType = Value<T>::kType;
  static std::optional<T> From(const Variant& v) {
    if (v.IsMissing()) return std::nullopt;
    return Value<T>::From(v);
  }
};

template <class T>
using Bare = std::remove_cvref_t<T>;

template <class I, class R, class... A, size_t... Is>
Variant CallWith(I* self, R (I::*pmf)(A...), std::span<const Variant> args, std::index_sequence<Is...>) {
  if constexpr (std::is_void_v<R>) {
    (self->*pmf)(Value<Bare<A>>::From(args[Is])...);
    return Variant();
  } else {
    return Value<Bare<R>>::To((self->*pmf)(Value<Bare<A>>::From(args[Is])...));
  }
}

template <class I, class R, class... A>
MemberInfo::Call MakeCall(R (I::*pmf)(A...)) {
  return [pmf](void* self, std::span<const Variant> args) -> Variant {
    return CallWith(static_cast<I*>(self), pmf, args, std::index_sequence_for<A...>{});
  };
}

template <class R>
constexpr Variant::Type ResultType() {
  if constexpr (std::is_void_v<R>) {
    return Variant::Type::Empty;
  } else {
    return Value<Bare<R>>::kType;
  }
}

template <class... A>
std::vector<ParamInfo> Params(std::initializer_list<ParamSpec> given, bool is_let) {
  constexpr Variant::Type types[] = {Value<Bare<A>>::kType..., Variant::Type::Empty};
  constexpr size_t n = sizeof...(A);
  std::vector<ParamInfo> out(n);
  auto next = given.begin();
  for (size_t i = 0; i < n; ++i) {
    out[i].type = types[i];
    if (is_let && i + 1 == n) {
      out[i].name = "Value";
      continue;
    }
    if (next != given.end()) {
      out[i].name = next->name;
      out[i].optional = next->optional;
      out[i].default_value = next->default_value;
      ++next;
    } else {
      out[i].name = "Arg" + std::to_string(i + 1);
    }
  }
  return out;
}

}  // namespace describe_detail

template <class I>
class Describe {
 public:
  explicit Describe(std::string name, Guid iid = I::kIID) : name_(std::move(name)), iid_(iid) {}

  template <class R, class... A>
  Describe& Get(std::string name, R (I::*getter)(A...), std::initializer_list<ParamSpec> params = {},
                std::optional<DispId> id = std::nullopt) {
    Add(std::move(name), MemberKind::Get, describe_detail::Params<A...>(params, false),
        describe_detail::ResultType<R>(), describe_detail::MakeCall(getter), id);
    return *this;
  }

  template <class R, class... A>
  Describe& Method(std::string name, R (I::*method)(A...), std::initializer_list<ParamSpec> params = {},
                   std::optional<DispId> id = std::nullopt) {
    Add(std::move(name), MemberKind::Method, describe_detail::Params<A...>(params, false),
        describe_detail::ResultType<R>(), describe_detail::MakeCall(method), id);
    return *this;
  }

  template <class... A>
  Describe& Let(std::string name, void (I::*setter)(A...), std::initializer_list<ParamSpec> params = {},
                std::optional<DispId> id = std::nullopt) {
    Add(std::move(name), MemberKind::Let, describe_detail::Params<A...>(params, true), Variant::Type::Empty,
        describe_detail::MakeCall(setter), id);
    return *this;
  }

  template <class R, class... G, class... S>
  Describe& GetLet(const std::string& name, R (I::*getter)(G...), void (I::*setter)(S...),
                   std::initializer_list<ParamSpec> params = {}, std::optional<DispId> id = std::nullopt) {
    Get(name, getter, params, id);
    return Let(name, setter, params, id);
  }

  // Adds the members of another interface of the same object (a card data
  // that also answers for its lock and update views); each keeps the IID it
  // is called through. IDs that are taken move to the next free one.
  Describe& Include(const TypeInfo& other) {
    std::unordered_map<DispId, DispId> moved;
    for (const MemberInfo& m : other.members()) {
      MemberInfo copy = m;
      auto it = moved.find(m.id);
      if (it != moved.end()) {
        copy.id = it->second;
      } else if (auto same = IdOf(m.name)) {
        copy.id = *same;
        moved[m.id] = copy.id;
      } else if (Taken(m.id)) {
        copy.id = ++next_id_;
        while (Taken(copy.id)) copy.id = ++next_id_;
        moved[m.id] = copy.id;
      }
      members_.push_back(std::move(copy));
    }
    return *this;
  }

  TypeInfo Build() { return TypeInfo(name_, iid_, std::move(members_)); }

 private:
  std::optional<DispId> IdOf(const std::string& name) const {
    for (const MemberInfo& m : members_) {
      if (text::EqualNoCase(m.name, name)) return m.id;
    }
    return std::nullopt;
  }
  bool Taken(DispId id) const {
    for (const MemberInfo& m : members_) {
      if (m.id == id) return true;
    }
    return false;
  }
  void Add(std::string name, MemberKind kind, std::vector<ParamInfo> params, Variant::Type result,
           MemberInfo::Call call, std::optional<DispId> id) {
    MemberInfo m;
    if (id) {
      m.id = *id;
    } else if (auto same = IdOf(name)) {
      m.id = *same;
    } else {
      m.id = ++next_id_;
      while (Taken(m.id)) m.id = ++next_id_;
    }
    m.name = std::move(name);
    m.kind = kind;
    m.params = std::move(params);
    m.result = result;
    m.iid = iid_;
    m.call = std::move(call);
    members_.push_back(std::move(m));
  }

  std::string name_;
  Guid iid_;
  std::vector<MemberInfo> members_;
  DispId next_id_ = 0;
};

}  // namespace com
