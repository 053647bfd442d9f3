// Test harness for the library: a private root for every path it touches, a
// recording command runner, a fresh configuration stand-in, and child
// processes for operations that print or end the process.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/messages.h"
#include "core/sys.h"

// The harness's other pieces, so that a test includes only this header.
#include "golden.h"
#include "hostile_values.h"
#include "odb_session.h"
#include "owned.h"
#include "scoped_env.h"
#include "shell_words.h"
#include "text_display.h"
#include "validator.h"

namespace nexa::testing {

// Records every command line the library runs and plays the programs:
// the first effect whose prefix matches a command line runs and gives its
// status; other commands succeed with status 0 and do nothing.
class CommandRecorder {
 public:
  using Effect = std::function<int(const std::string& command_line)>;
  void on(std::string prefix, Effect effect) {
    effects_.emplace_back(std::move(prefix), std::move(effect));
  }
  int run(const std::string& command_line);

  std::vector<std::string> lines;

 private:
  std::vector<std::pair<std::string, Effect>> effects_;
};

// Takes the messages the library prints while it lives, as printed but
// with "(LINE)" for the source line a message names.
class CapturedMessages {
 public:
  CapturedMessages();
  ~CapturedMessages();
  CapturedMessages(const CapturedMessages&) = delete;
  CapturedMessages& operator=(const CapturedMessages&) = delete;
  const std::string& text() const { return text_; }

 private:
  MessageSink previous_;
  std::string text_;
};

struct ChildResult {
  int exit_status = -1;  // -1 when the child did not exit normally
  std::string out;       // what it wrote to standard output
};

// Runs body in a forked child with standard output captured and input as
// its standard input; the child exits with status 0 when body returns.
ChildResult run_in_child(const std::function<void()>& body, std::string_view input = {});

// Runs edit(worker, round) `rounds` times in each of `workers` children,
// all released at one moment; true when every call in every child did.
bool run_together(int workers, int rounds, const std::function<bool(int worker, int round)>& edit);

// The interleavings that lose edits when nothing serialises them: 8
// callers x 50 edits, once, and 2 callers x 1 edit, 50 times. seed makes
// the file before each run; count must then find every edit made.
void expect_no_edit_lost(const std::function<void()>& seed,
                         const std::function<bool(int worker, int round)>& edit,
                         const std::function<size_t()>& count);

class LibraryTest : public ::testing::Test {
 protected:
  LibraryTest();
  ~LibraryTest() override;

  // The real location of a path the library sees as `logical`.
  std::string path(std::string_view logical) const;
  void write_file(std::string_view logical, std::string_view content, mode_t mode = 0644) const;
  std::string read_file(std::string_view logical) const;
  bool exists(std::string_view logical) const;
  mode_t mode_of(std::string_view logical) const;
  // Names in a directory of the root (to spot stray temporary files).
  std::vector<std::string> list_dir(std::string_view logical) const;

  // Fakes of the clock and the kernel calls, cleared after each test.
  void set_now(time_t moment);
  void set_kernel_calls(sys::KernelCalls calls);

  std::string root;
  CommandRecorder commands;
  // What the library sent to the system log, one message each.
  std::vector<std::string> logged;
};

}  // namespace nexa::testing
