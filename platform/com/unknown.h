#pragma once

#include <atomic>
#include <cstddef>
#include <utility>

#include "platform/com/error.h"
#include "platform/com/guid.h"

namespace com {

// The root of every object: a reference count and a way to reach the
// object's other interfaces. Interfaces derive from it virtually, so that an
// object has one Unknown whatever interfaces it offers; the address of that
// Unknown is the object's identity.
class Unknown {
 public:
  static constexpr Guid kIID{"{00000000-0000-0000-C000-000000000046}"};

  virtual void AddRef() const noexcept = 0;
  virtual void Release() const noexcept = 0;
  // The address of the object's interface `iid`, or nullptr when the object
  // does not offer it. Takes no reference: hold the result in a Ref.
  virtual void* QueryInterface(const Guid& iid) noexcept = 0;

 protected:
  virtual ~Unknown() = default;
};

// An owning pointer to a reference-counted object. Ref(p) takes a new
// reference; Ref<T>::Adopt(p) takes over one the caller already holds.
template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(std::nullptr_t) {}
  explicit Ref(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  Ref(const Ref& o) : Ref(o.p_) {}
  Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U>
    requires std::is_convertible_v<U*, T*>
  Ref(const Ref<U>& o) : Ref(static_cast<T*>(o.get())) {}
  template <class U>
    requires std::is_convertible_v<U*, T*>
  Ref(Ref<U>&& o) noexcept : p_(static_cast<T*>(o.release())) {}
  ~Ref() {
    if (p_) p_->Release();
  }
  Ref& operator=(Ref o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }

  static Ref Adopt(T* p) {
    Ref r;
    r.p_ = p;
    return r;
  }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // Hands the reference to the caller, who must release it.
  [[nodiscard]] T* release() { return std::exchange(p_, nullptr); }
  void reset() { Ref().swap(*this); }
  void swap(Ref& o) noexcept { std::swap(p_, o.p_); }

  friend bool operator==(const Ref& a, const Ref& b) { return a.p_ == b.p_; }
  friend bool operator==(const Ref& a, std::nullptr_t) { return a.p_ == nullptr; }

 private:
  T* p_ = nullptr;
};

// The object's identity: its one Unknown.
inline Unknown* Identity(Unknown* p) { return p; }
inline bool SameObject(Unknown* a, Unknown* b) { return a == b; }

// Interface `I` of `obj`, or null when it does not offer it.
template <class I>
Ref<I> TryQuery(Unknown* obj) {
  if (!obj) return nullptr;
  return Ref<I>(static_cast<I*>(obj->QueryInterface(I::kIID)));
}
template <class I, class T>
Ref<I> TryQuery(const Ref<T>& obj) {
  return TryQuery<I>(static_cast<Unknown*>(obj.get()));
}

// Interface `I` of `obj`; fails with 0x80004002 when it does not offer it,
// and with 0x80004003 for a null object.
template <class I>
Ref<I> Query(Unknown* obj) {
  if (!obj) throw Error(hr::kPointer);
  Ref<I> r = TryQuery<I>(obj);
  if (!r) throw Error(hr::kNoInterface);
  return r;
}
template <class I, class T>
Ref<I> Query(const Ref<T>& obj) {
  return Query<I>(static_cast<Unknown*>(obj.get()));
}

// Creates an object with its first reference.
template <class T, class... Args>
Ref<T> Make(Args&&... args) {
  return Ref<T>::Adopt(new T(std::forward<Args>(args)...));
}

// The reference count, for classes that implement Unknown directly.
class RefCount {
 public:
  void Increment() const noexcept { count_.fetch_add(1, std::memory_order_relaxed); }
  // True when the last reference went.
  bool Decrement() const noexcept { return count_.fetch_sub(1, std::memory_order_acq_rel) == 1; }

 private:
  mutable std::atomic<int> count_{1};
};

}  // namespace com
