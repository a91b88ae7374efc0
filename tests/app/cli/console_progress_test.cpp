// The command line's progress line: only on a terminal, only once the
// command has taken half a second, written over in place, and taken away
// before anything else is printed.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "app/cli/console_messages.h"
#include "app/cli/console_progress.h"
#include "drained_stream.h"

namespace vantor {
namespace {

using namespace std::chrono_literals;
using clock_type = console_progress::clock;

struct progress_case {
  const char* name;
  bool terminal;
  int elapsed_ms;  ///< when the progress is told, after the command began
  const char* expected;
  friend void PrintTo(const progress_case& c, std::ostream* os) { *os << c.name; }
};

class ConsoleProgress : public ::testing::TestWithParam<progress_case> {};

TEST_P(ConsoleProgress, ShowsALineOnlyOnATerminalAfterHalfASecond) {
  const auto& c = GetParam();
  clock_type::time_point now{};
  std::FILE* err = std::tmpfile();
  console_progress progress(err, c.terminal, [&] { return now; });
  now += std::chrono::milliseconds(c.elapsed_ms);
  progress.show_progress(work_stage::models, 1, 4);
  progress.show_progress(work_stage::models, 1, 4);  // the same line is not written again
  progress.show_progress(work_stage::models, 2, 4);
  progress.clear();
  EXPECT_EQ(testing::drain(err), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConsoleProgress,
    ::testing::Values(progress_case{"redirected", false, 2000, ""}, progress_case{"quick", true, 200, ""},
                      progress_case{"slow_terminal", true, 800,
                                    "\runpacking the model package 25%\runpacking the model package 50%"
                                    "\r                               \r"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ConsoleProgress, AShorterLineCoversTheLongerOneAndAMessageStartsOnACleanLine) {
  clock_type::time_point now{};
  std::FILE* err = std::tmpfile();
  std::FILE* out = std::tmpfile();
  console_progress progress(err, true, [&] { return now; });
  console_messages messages(out, &progress);
  now += 1s;
  progress.show_progress(work_stage::models, 4, 4);
  progress.show_progress(work_stage::bundle, 0, 10);
  messages.show_message("升级成功！");
  progress.clear();  // nothing left to take away
  EXPECT_EQ(testing::drain(err),
            "\runpacking the model package 100%"
            "\rcopying the animation bundle 0% "
            "\r                               \r");
  EXPECT_EQ(testing::drain(out), "升级成功！\n");
}

}  // namespace
}  // namespace vantor
