// Making a tree durable while it is built, file by file as on Windows: every
// file is flushed exactly once (those handed in on the flushing threads,
// the rest at the end), every folder too, and a flush that fails fails the
// whole, whenever it happens.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/fault_hook.h"
#include "platform/files.h"
#include "platform/tree_flusher.h"
#include "support/native_path.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

using platform::tree_flusher;

// Counts the flushes of each path; one path's flush fails when asked.
class flush_counter final : public platform::fault_hook {
 public:
  explicit flush_counter(std::string failing = {}, bool no_threads = false)
      : failing_(std::move(failing)), no_threads_(no_threads) {
    platform::set_fault_hook(this);
  }
  ~flush_counter() override { platform::set_fault_hook(nullptr); }
  platform::fault before(platform::operation asked, std::string_view path, std::string_view) override {
    if (asked != platform::operation::flush) return {};
    ++flushes[std::string(path)];
    if (!failing_.empty() && testing::generic_path(std::string(path)).ends_with(failing_)) return {os_error::io_error};
    return {};
  }
  bool threads_refused() override { return no_threads_; }
  std::map<std::string, int> flushes;

 private:
  std::string failing_;
  bool no_threads_;
};

// A tree of 60 files in 3 folders; every other file is handed in.
void build(const std::string& root, tree_flusher& flusher) {
  for (int folder = 0; folder < 3; ++folder) {
    std::string set_name = "set";
    set_name += std::to_string(folder);
    const std::string below = platform::join_path(root, set_name);
    ASSERT_TRUE(platform::create_folder(below, platform::path_lookup::exact));
    for (int i = 0; i < 20; ++i) {
      std::string file_name = "f";
      file_name += std::to_string(i);
      file_name += ".bin";
      const std::string path = platform::join_path(below, file_name);
      testing::put_file(path, std::string_view("data"));
      if (i % 2 == 0) flusher.file_done(path);
    }
  }
}

TEST(TreeFlusher, FlushesEveryFileOnceWhetherHandedInOrNot) {
  testing::temp_folder dir;
  flush_counter counter;
  tree_flusher flusher(dir.path(), tree_flusher::method::each_file);
  build(dir.path(), flusher);
  ASSERT_TRUE(flusher.finish());
  int files = 0;
  for (const auto& [path, count] : counter.flushes) {
    EXPECT_EQ(count, 1) << path;
    if (path.ends_with(".bin")) ++files;
  }
  EXPECT_EQ(files, 60);
}

// With no thread to be had, handing in more files than may wait for one
// never blocks: the end flushes them all, once each.
TEST(TreeFlusher, WithoutThreadsTheEndFlushesEverything) {
  testing::temp_folder dir;
  flush_counter counter({}, true);
  tree_flusher flusher(dir.path(), tree_flusher::method::each_file);
  constexpr int files = 300;  // more than may wait for a thread
  for (int i = 0; i < files; ++i) {
    const std::string path = platform::join_path(dir.path(), "f" + std::to_string(i) + ".bin");
    testing::put_file(path, std::string_view("data"));
    flusher.file_done(path);
  }
  ASSERT_TRUE(flusher.finish());
  int flushed = 0;
  for (const auto& [path, count] : counter.flushes) {
    EXPECT_EQ(count, 1) << path;
    if (path.ends_with(".bin")) ++flushed;
  }
  EXPECT_EQ(flushed, files);
}

struct failing_case {
  const char* name;
  const char* file;  ///< handed in (an even number) or left for the end (odd)
  friend void PrintTo(const failing_case& c, std::ostream* os) { *os << c.name; }
};

class TreeFlusherFailure : public ::testing::TestWithParam<failing_case> {};

TEST_P(TreeFlusherFailure, FailsTheWhole) {
  testing::temp_folder dir;
  flush_counter counter(GetParam().file);
  tree_flusher flusher(dir.path(), tree_flusher::method::each_file);
  build(dir.path(), flusher);
  const status finished = flusher.finish();
  ASSERT_FALSE(finished);
  EXPECT_EQ(finished.error().kind, os_error::io_error);
  EXPECT_TRUE(testing::generic_path(finished.error().path).ends_with(GetParam().file)) << finished.error().path;
}

INSTANTIATE_TEST_SUITE_P(Table, TreeFlusherFailure,
                         ::testing::Values(failing_case{"handed_in", "set1/f4.bin"},
                                           failing_case{"left_for_the_end", "set2/f19.bin"}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vantor
