// Timers: callbacks run a given number of milliseconds from now.
#pragma once

#include <cstdint>
#include <functional>
#include <list>

#include "event_chain.h"

namespace presence {

// Milliseconds of a monotonic clock, modulo 2^32. Setting the wall clock does
// not move it; all comparisons are wrap-safe, so the wrap after 49.7 days of
// uptime is harmless as long as no delay exceeds 24 days.
uint32_t monotonic_ms();

class TimerList : public ChainModule {
 public:
  using Callback = std::function<void()>;
  using Clock = uint32_t (*)();

  explicit TimerList(EventChain& chain, Clock clock = monotonic_ms)
      : chain_(chain), clock_(clock) {}
  // Pending entries are dropped with their destroy callbacks; none fires.
  ~TimerList() override;

  void pre_select(fd_set& read, fd_set& write, fd_set& except, int32_t& wait_ms) override;

  size_t pending() const { return entries_.size(); }
  uint32_t now() const { return clock_(); }

 private:
  struct TimerEntry {
    uint32_t expiry;
    const void* object;
    Callback expire;
    Callback destroy;
  };

  friend void timer_add(TimerList&, const void*, uint32_t, Callback, Callback);
  friend void timer_remove(TimerList&, const void*);

  EventChain& chain_;
  Clock clock_;
  std::list<TimerEntry> entries_;         // sorted by expiry
  std::list<TimerEntry>* due_ = nullptr;  // entries being fired in this pass
};

TimerList& timer_list_create(EventChain& chain);

// Calls expire once, delay_ms from now; an entry with the same expiry as
// others goes ahead of them. destroy (optional) runs instead if the entry is
// removed or the list destroyed before it fires.
void timer_add(TimerList& list, const void* object, uint32_t delay_ms, TimerList::Callback expire,
               TimerList::Callback destroy = {});

// Removes every entry of the object that has not fired, including entries due
// in the pass that is firing now; their destroy callbacks run.
void timer_remove(TimerList& list, const void* object);

}  // namespace presence
