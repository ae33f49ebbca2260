#include "platform/com/events.h"

#include <exception>

namespace com {

uint32_t EventSource::Advise(Ref<Dispatch> sink) {
  if (!sink) throw Error(hr::kPointer);
  uint32_t cookie = ++next_cookie_;
  sinks_.emplace_back(cookie, std::move(sink));
  return cookie;
}

void EventSource::Unadvise(uint32_t cookie) {
  for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
    if (it->first == cookie) {
      sinks_.erase(it);
      return;
    }
  }
  throw Error(hr::kNoConnection);
}

void EventSource::Raise(DispId id, std::span<const Variant> args) {
  if (sinks_.empty()) return;
  // A copy, so that a sink may connect or disconnect while it is called.
  auto sinks = sinks_;
  std::exception_ptr first_failure;
  for (auto& [cookie, sink] : sinks) {
    // Held back, not swallowed: the failure reaches the caller after every
    // sink has heard the event.
    try {
      sink->Invoke(id, kInvokeMethod, args);
    } catch (...) {
      if (!first_failure) first_failure = std::current_exception();
    }
  }
  if (first_failure) std::rethrow_exception(first_failure);
}

uint32_t Advise(Unknown* source, const Guid& iid, Ref<Dispatch> sink) {
  return Query<ConnectionPointContainer>(source)->FindConnectionPoint(iid)->Advise(std::move(sink));
}

void Unadvise(Unknown* source, const Guid& iid, uint32_t cookie) {
  Query<ConnectionPointContainer>(source)->FindConnectionPoint(iid)->Unadvise(cookie);
}

}  // namespace com
