#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "platform/com/dispatch.h"

namespace com {

// One outgoing (event) interface of an object. Sinks are dispatch objects;
// an event is a call of the sink's member with the event's dispatch ID.
class ConnectionPoint : public virtual Unknown {
 public:
  static constexpr Guid kIID{"{B196B286-BAB4-101A-B69C-00AA00341D07}"};

  virtual Guid GetConnectionInterface() = 0;
  // The description of the outgoing interface (names of the events).
  virtual const TypeInfo& GetSourceInfo() = 0;
  // Connects a sink and returns its cookie (never 0). The point holds the sink.
  virtual uint32_t Advise(Ref<Dispatch> sink) = 0;
  // Fails with 0x80040200 for an unknown cookie.
  virtual void Unadvise(uint32_t cookie) = 0;
};

class ConnectionPointContainer : public virtual Unknown {
 public:
  static constexpr Guid kIID{"{B196B284-BAB4-101A-B69C-00AA00341D07}"};

  // Fails with 0x80040200 when the object has no such outgoing interface.
  virtual Ref<ConnectionPoint> FindConnectionPoint(const Guid& iid) = 0;
  // The IIDs of every outgoing interface.
  virtual std::vector<Guid> ConnectionInterfaces() = 0;
};

// The connection point an event source keeps for one outgoing interface.
// It holds its sinks and nothing of its owner.
class EventSource final : public Object<ConnectionPoint> {
 public:
  explicit EventSource(const TypeInfo& source) : source_(source) {}

  Guid GetConnectionInterface() override { return source_.iid(); }
  const TypeInfo& GetSourceInfo() override { return source_; }
  uint32_t Advise(Ref<Dispatch> sink) override;
  void Unadvise(uint32_t cookie) override;

  // Calls event `id` on every sink, synchronously, in the order they were
  // connected. Every sink hears the event: a sink that fails does not keep
  // the later ones from it, and the first failure is raised to the caller
  // once all have been called (what the event follows is done by then and
  // stays done). A sink connected or removed during the raise takes effect
  // on the next one.
  void Raise(DispId id, std::span<const Variant> args);
  size_t SinkCount() const { return sinks_.size(); }

 private:
  const TypeInfo& source_;
  std::vector<std::pair<uint32_t, Ref<Dispatch>>> sinks_;
  uint32_t next_cookie_ = 0;
};

// Connects `sink` to the outgoing interface `iid` of `source` (its
// ConnectionPointContainer); returns the cookie.
uint32_t Advise(Unknown* source, const Guid& iid, Ref<Dispatch> sink);
void Unadvise(Unknown* source, const Guid& iid, uint32_t cookie);

}  // namespace com
