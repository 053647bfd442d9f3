// Timers: callbacks run a given number of milliseconds from now.
#include "timer_list.h"

#include <time.h>

namespace presence {

namespace {

// Wrap-safe: a is at or before b on the circle of 32-bit milliseconds.
bool not_after(uint32_t a, uint32_t b) {
  return static_cast<int32_t>(a - b) <= 0;
}

}  // namespace

uint32_t monotonic_ms() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u +
                               static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

TimerList::~TimerList() {
  std::list<TimerEntry> entries = std::move(entries_);
  for (auto& entry : entries)
    if (entry.destroy) entry.destroy();
}

TimerList& timer_list_create(EventChain& chain) {
  return chain_add_module(chain, std::make_unique<TimerList>(chain));
}

void timer_add(TimerList& list, const void* object, uint32_t delay_ms, TimerList::Callback expire,
               TimerList::Callback destroy) {
  const uint32_t expiry = list.clock_() + delay_ms;
  auto pos = list.entries_.begin();
  while (pos != list.entries_.end() && !not_after(expiry, pos->expiry)) ++pos;
  const bool first = pos == list.entries_.begin();
  list.entries_.insert(pos, {expiry, object, std::move(expire), std::move(destroy)});
  if (first) chain_wake(list.chain_);
}

void timer_remove(TimerList& list, const void* object) {
  std::list<TimerList::TimerEntry> removed;
  auto take_from = [&](std::list<TimerList::TimerEntry>& from) {
    for (auto it = from.begin(); it != from.end();) {
      auto next = std::next(it);
      if (it->object == object) removed.splice(removed.end(), from, it);
      it = next;
    }
  };
  take_from(list.entries_);
  if (list.due_) take_from(*list.due_);
  for (auto& entry : removed)
    if (entry.destroy) entry.destroy();
}

void TimerList::pre_select(fd_set&, fd_set&, fd_set&, int32_t& wait_ms) {
  if (entries_.empty()) return;
  uint32_t now = clock_();
  auto end = entries_.begin();
  while (end != entries_.end() && not_after(end->expiry, now)) ++end;
  if (end != entries_.begin()) {
    std::list<TimerEntry> due;
    due.splice(due.end(), entries_, entries_.begin(), end);
    due_ = &due;
    while (!due.empty()) {
      TimerEntry entry = std::move(due.front());
      due.pop_front();
      entry.expire();
    }
    due_ = nullptr;
    now = clock_();
  }
  if (entries_.empty()) return;
  const int32_t until_first = static_cast<int32_t>(entries_.front().expiry - now);
  if (until_first < wait_ms) wait_ms = until_first < 0 ? 0 : until_first;
}

}  // namespace presence
