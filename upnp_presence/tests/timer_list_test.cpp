// Timer lists: ordering, removal, the wait they ask for, the clock wrap.
#include "timer_list.h"

#include <gtest/gtest.h>

#include <string>

namespace presence {
namespace {

uint32_t fake_now = 0;
uint32_t fake_clock() {
  return fake_now;
}

class TimerListTest : public ::testing::Test {
 protected:
  // Runs the list's due-entry pass and returns the wait it leaves.
  int32_t pass(int32_t wait = kLongestWaitMs) {
    fd_set r, w, e;
    chain->in_pre_select = true;
    timers.pre_select(r, w, e, wait);
    chain->in_pre_select = false;
    return wait;
  }
  // Moves the clock to `now`, then runs a pass.
  int32_t pass_at(uint32_t now) {
    fake_now = now;
    return pass();
  }
  TimerList::Callback record(const std::string& tag) {
    return [this, tag] { log += tag; };
  }

  std::unique_ptr<EventChain> chain = chain_create();
  TimerList timers{*chain, fake_clock};
  std::string log;
  int a = 0, b = 0;
};

TEST_F(TimerListTest, DelayZeroFiresOnTheNextPass) {
  fake_now = 1000;
  timer_add(timers, &a, 0, record("a"));
  EXPECT_EQ(pass(), kLongestWaitMs);
  EXPECT_EQ(log, "a");
  EXPECT_EQ(timers.pending(), 0u);
}

TEST_F(TimerListTest, FiresInExpiryOrderAndSameExpiryNewestFirst) {
  fake_now = 0;
  timer_add(timers, &a, 20, record("late"));
  timer_add(timers, &a, 10, record("1"));
  timer_add(timers, &b, 10, record("2"));
  timer_add(timers, &b, 10, record("3"));
  EXPECT_EQ(pass(), 10);
  EXPECT_EQ(log, "");
  EXPECT_EQ(pass_at(10), 10);
  EXPECT_EQ(log, "321");
  pass_at(25);
  EXPECT_EQ(log, "321late");
}

TEST_F(TimerListTest, WaitIsLoweredOnlyWhenTheFirstEntryIsSooner) {
  fake_now = 0;
  timer_add(timers, &a, 500, record("a"));
  EXPECT_EQ(pass(100), 100);
  EXPECT_EQ(pass(), 500);
}

TEST_F(TimerListTest, RemoveRunsDestroyCallbacksAndNeverTheExpiry) {
  fake_now = 0;
  int destroyed = 0;
  timer_add(timers, &a, 10, record("a"), [&] { ++destroyed; });
  timer_add(timers, &a, 20, record("a"), [&] { ++destroyed; });
  timer_add(timers, &b, 10, record("b"));
  timer_remove(timers, &a);
  EXPECT_EQ(destroyed, 2);
  timer_remove(timers, &destroyed);  // no entries: nothing happens
  pass_at(30);
  EXPECT_EQ(log, "b");
}

TEST_F(TimerListTest, RemovalFromACallbackCancelsAnEntryDueInTheSamePass) {
  fake_now = 0;
  bool destroyed = false;
  timer_add(timers, &b, 5, record("b"), [&] { destroyed = true; });
  timer_add(timers, &a, 5, [&] {
    log += "a";
    timer_remove(timers, &b);
  });
  pass_at(5);
  EXPECT_EQ(log, "a");
  EXPECT_TRUE(destroyed);
}

TEST_F(TimerListTest, CallbackMayRescheduleItself) {
  fake_now = 0;
  std::function<void()> tick = [&] {
    log += "t";
    timer_add(timers, &a, 100, tick);
  };
  timer_add(timers, &a, 100, tick);
  for (fake_now = 100; fake_now <= 300; fake_now += 100) pass();
  EXPECT_EQ(log, "ttt");
  EXPECT_EQ(pass(), 100);
}

TEST_F(TimerListTest, ClockWrapNeitherFreezesNorRushesTimers) {
  fake_now = 0xFFFFFF00u;  // 256 ms before the 32-bit millisecond counter wraps
  timer_add(timers, &a, 1000, record("a"));
  timer_add(timers, &b, 100, record("b"));
  EXPECT_EQ(pass(), 100);
  EXPECT_EQ(log, "");
  pass_at(fake_now + 100);
  EXPECT_EQ(log, "b");
  EXPECT_EQ(pass_at(fake_now + 500), 400) << "past the wrap, entry a is still 400 ms away";
  EXPECT_EQ(log, "b");
  pass_at(fake_now + 400);
  EXPECT_EQ(log, "ba");
}

TEST_F(TimerListTest, AddingAFirstEntryDuringPreSelectKeepsTheLoopFromWaiting) {
  chain->in_pre_select = true;
  chain->no_block = false;
  timer_add(timers, &a, 5000, record("a"));
  EXPECT_TRUE(chain->no_block);
  chain->no_block = false;
  timer_add(timers, &a, 9000, record("a"));
  EXPECT_FALSE(chain->no_block) << "a later entry changes nothing";
  chain->in_pre_select = false;
}

TEST(TimerListDestroy, PendingEntriesAreDestroyedNotFired) {
  auto chain = chain_create();
  int fired = 0, destroyed = 0;
  {
    TimerList timers(*chain, fake_clock);
    timer_add(
        timers, &fired, 10, [&] { ++fired; }, [&] { ++destroyed; });
    timer_add(timers, &fired, 20, [&] { ++fired; });
  }
  EXPECT_EQ(fired, 0);
  EXPECT_EQ(destroyed, 1);
}

TEST(MonotonicClock, DoesNotGoBackwards) {
  const uint32_t first = monotonic_ms();
  const uint32_t second = monotonic_ms();
  EXPECT_GE(static_cast<int32_t>(second - first), 0);
}

}  // namespace
}  // namespace presence
