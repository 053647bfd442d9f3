// The select loop: module order, waking, and stopping from a signal handler.
#include "event_chain.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/time.h>

#include <chrono>
#include <string>

#include "timer_list.h"

namespace presence {
namespace {

class RecordingModule : public ChainModule {
 public:
  RecordingModule(std::string& log, char name) : log_(log), name_(name) {}
  void pre_select(fd_set&, fd_set&, fd_set&, int32_t&) override {
    log_ += std::string("<") + name_;
  }
  void post_select(int, const fd_set&, const fd_set&, const fd_set&) override {
    log_ += std::string(">") + name_;
  }
  void destroy() override { log_ += std::string("x") + name_; }

 private:
  std::string& log_;
  char name_;
};

TEST(EventChain, ModulesRunAndAreDestroyedInTheOrderAdded) {
  auto chain = chain_create();
  std::string log;
  chain_add_module(*chain, std::make_unique<RecordingModule>(log, 'a'));
  chain_add_module(*chain, std::make_unique<RecordingModule>(log, 'b'));
  TimerList& timers = timer_list_create(*chain);
  timer_add(timers, &log, 0, [&] { chain_stop(*chain); });
  chain_run(*chain);
  // The due timer stops the chain in the first pass; post-select still runs.
  EXPECT_EQ(log, "<a<b>a>bxaxb");
  EXPECT_TRUE(chain->modules.empty());
}

// Adds a timer from its pre-select: the same pass must not block on select.
class LateTimerModule : public ChainModule {
 public:
  LateTimerModule(EventChain& chain, TimerList& timers) : chain_(chain), timers_(timers) {}
  void pre_select(fd_set&, fd_set&, fd_set&, int32_t&) override {
    if (added_) return;
    added_ = true;
    timer_add(timers_, this, 0, [this] { chain_stop(chain_); });
  }

 private:
  EventChain& chain_;
  TimerList& timers_;
  bool added_ = false;
};

TEST(EventChain, TimerAddedDuringPreSelectDoesNotWaitForTheLongestWait) {
  auto chain = chain_create();
  TimerList& timers = timer_list_create(*chain);
  chain_add_module(*chain, std::make_unique<LateTimerModule>(*chain, timers));
  const auto start = std::chrono::steady_clock::now();
  chain_run(*chain);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

EventChain* signalled_chain = nullptr;
void stop_from_signal(int) {
  chain_stop(*signalled_chain);
}

class SelectResultModule : public ChainModule {
 public:
  explicit SelectResultModule(std::vector<int>& results) : results_(results) {}
  void post_select(int result, const fd_set&, const fd_set&, const fd_set&) override {
    results_.push_back(result);
  }

 private:
  std::vector<int>& results_;
};

TEST(EventChain, SignalHandlerStopsALoopThatIsWaiting) {
  auto chain = chain_create();
  std::vector<int> results;
  chain_add_module(*chain, std::make_unique<SelectResultModule>(results));

  signalled_chain = chain.get();
  struct sigaction action {
  }, old{};
  action.sa_handler = stop_from_signal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGALRM, &action, &old);
  itimerval once{};
  once.it_value.tv_usec = 200000;  // 200 ms
  setitimer(ITIMER_REAL, &once, nullptr);

  const auto start = std::chrono::steady_clock::now();
  chain_run(*chain);
  sigaction(SIGALRM, &old, nullptr);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  ASSERT_EQ(results.size(), 1u) << "one pass, ended by the signal";
  EXPECT_EQ(results[0], -1) << "select was interrupted";
}

TEST(EventChain, StopBeforeRunStillDestroysModules) {
  auto chain = chain_create();
  std::string log;
  chain_add_module(*chain, std::make_unique<RecordingModule>(log, 'a'));
  chain_stop(*chain);
  chain_run(*chain);
  EXPECT_EQ(log, "xa");
}

}  // namespace
}  // namespace presence
