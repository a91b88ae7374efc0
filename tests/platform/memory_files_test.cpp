// The files kept in memory for the fuzzing harnesses answer as the POSIX
// files do: the same failure kinds in the same situations, bytes that read
// back as written, links followed where POSIX follows them, the folder lock
// and the letter-case lookup of the front door. Built against the memory
// platform alone (no test support: that writes to disk).

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/memory_files.h"

namespace vantor {
namespace {

using platform::open_mode;

void put(const std::string& path, std::string_view text) {
  auto out = platform::open_file(path, open_mode::replace);
  ASSERT_TRUE(out.ok()) << out.error();
  ASSERT_TRUE(out->write(text.data(), text.size()).ok());
  ASSERT_TRUE(out->close().ok());
}

std::string contents(const std::string& path) {
  auto in = platform::open_file(path, open_mode::read);
  if (!in) return std::string(describe(in.error().kind));
  std::string text(64, '\0');
  const auto got = in->read(text.data(), text.size());
  text.resize(got ? *got : 0);
  return text;
}

// The same small tree for every row: files, an empty folder, a folder with
// a file, a link to a folder, a dangling link and a loop of links.
void arrange() {
  platform::memory_files::clear();
  ASSERT_TRUE(platform::create_folder("/d").ok());
  put("/d/file", "bytes");
  put("/d/other", "other");
  ASSERT_TRUE(platform::create_folder("/d/empty").ok());
  ASSERT_TRUE(platform::create_folder("/d/full").ok());
  put("/d/full/inside", "inside");
  ASSERT_TRUE(platform::make_link("full", "/d/to_full").ok());
  ASSERT_TRUE(platform::make_link("/d/nowhere", "/d/dangling").ok());
  ASSERT_TRUE(platform::make_link("loop_b", "/d/loop_a").ok());
  ASSERT_TRUE(platform::make_link("loop_a", "/d/loop_b").ok());
}

template <typename T>
status as_status(const outcome<T>& result) {
  if (!result) return result.error();
  return {};
}

status open_as(const std::string& path, open_mode mode) { return as_status(platform::open_file(path, mode)); }

struct memory_case {
  const char* name;
  std::function<status()> run;
  std::optional<os_error> expected;  ///< none: the call succeeds
  friend std::ostream& operator<<(std::ostream& out, const memory_case& c) { return out << c.name; }
};

class MemoryFiles : public ::testing::TestWithParam<memory_case> {};

TEST_P(MemoryFiles, AnswerAsPosixFilesDo) {
  arrange();
  const memory_case& c = GetParam();
  const status result = c.run();
  if (!c.expected) {
    EXPECT_TRUE(result.ok()) << result.error();
  } else {
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().kind, *c.expected) << result.error();
  }
  EXPECT_EQ(platform::memory_files::open_handles(), 0u);
}

constexpr std::optional<os_error> succeeds = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Table, MemoryFiles,
    ::testing::Values(
        memory_case{"open_read_file", [] { return open_as("/d/file", open_mode::read); }, succeeds},
        memory_case{"open_read_missing", [] { return open_as("/d/missing", open_mode::read); }, os_error::not_found},
        memory_case{"open_read_folder", [] { return open_as("/d/empty", open_mode::read); }, os_error::not_a_file},
        memory_case{"open_read_through_link", [] { return open_as("/d/to_full/inside", open_mode::read); }, succeeds},
        memory_case{"open_read_dangling_link", [] { return open_as("/d/dangling", open_mode::read); },
                    os_error::not_found},
        memory_case{"open_read_link_loop", [] { return open_as("/d/loop_a", open_mode::read); }, os_error::not_a_file},
        memory_case{"open_write_existing_missing", [] { return open_as("/d/missing", open_mode::write_existing); },
                    os_error::not_found},
        memory_case{"open_replace_a_link", [] { return open_as("/d/dangling", open_mode::replace); },
                    os_error::not_a_file},
        memory_case{"open_replace_a_folder", [] { return open_as("/d/empty", open_mode::replace); },
                    os_error::not_a_file},
        memory_case{"open_create_new_over_file", [] { return open_as("/d/file", open_mode::create_new); },
                    os_error::exists},
        memory_case{"open_create_new_over_dangling_link", [] { return open_as("/d/dangling", open_mode::create_new); },
                    os_error::exists},
        memory_case{"open_create_in_missing_folder", [] { return open_as("/d/missing/new", open_mode::replace); },
                    os_error::not_found},
        memory_case{"open_create_below_a_file", [] { return open_as("/d/file/new", open_mode::replace); },
                    os_error::not_found},
        memory_case{"open_create_with_a_name_too_long",
                    [] { return open_as("/d/" + std::string(256, 'n'), open_mode::replace); }, os_error::name_refused},
        memory_case{"create_folder_exists", [] { return platform::create_folder("/d/file"); }, os_error::exists},
        memory_case{"create_folder_in_missing", [] { return platform::create_folder("/d/missing/new"); },
                    os_error::not_found},
        memory_case{"remove_folder_not_empty", [] { return platform::remove_folder("/d/full"); }, os_error::other},
        memory_case{"remove_folder_a_file", [] { return platform::remove_folder("/d/file"); }, os_error::not_a_file},
        memory_case{"remove_file_a_folder", [] { return platform::remove_file("/d/empty"); }, os_error::not_a_file},
        memory_case{"remove_file_missing", [] { return platform::remove_file("/d/missing"); }, os_error::not_found},
        memory_case{"remove_entry_a_tree", [] { return platform::remove_entry("/d"); }, succeeds},
        memory_case{"rename_file_over_file", [] { return platform::rename_over("/d/file", "/d/other"); }, succeeds},
        memory_case{"rename_file_over_folder", [] { return platform::rename_over("/d/file", "/d/empty"); },
                    os_error::not_a_file},
        memory_case{"rename_folder_over_file", [] { return platform::rename_over("/d/empty", "/d/file"); },
                    os_error::not_found},
        memory_case{"rename_folder_over_full_folder", [] { return platform::rename_over("/d/empty", "/d/full"); },
                    os_error::other},
        memory_case{"rename_folder_into_itself", [] { return platform::rename_over("/d/full", "/d/full/in"); },
                    os_error::name_refused},
        memory_case{"rename_missing", [] { return platform::rename_over("/d/missing", "/d/new"); },
                    os_error::not_found},
        memory_case{"check_folder_a_file", [] { return platform::check_folder("/d/file"); }, os_error::not_a_folder},
        memory_case{"check_folder_through_link", [] { return platform::check_folder("/d/to_full"); }, succeeds},
        memory_case{"read_link_a_file", [] { return as_status(platform::read_link("/d/file")); }, os_error::not_a_file},
        memory_case{"make_link_over_file", [] { return platform::make_link("x", "/d/file"); }, os_error::exists},
        memory_case{"permissions_of_a_folder", [] { return as_status(platform::permissions_of("/d/empty")); },
                    os_error::not_a_file},
        memory_case{"set_writable_a_link", [] { return platform::set_writable("/d/dangling", true); },
                    os_error::not_a_file},
        memory_case{"flush_tree_a_file", [] { return platform::flush_tree("/d/file"); }, os_error::not_a_file},
        memory_case{"free_space_missing", [] { return as_status(platform::free_space("/d/missing")); },
                    os_error::not_found},
        memory_case{"check_writable_a_folder", [] { return platform::check_writable("/d/empty"); }, succeeds}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(MemoryFileBytes, ReadBackAsWrittenThroughSeeksTruncationAndRenames) {
  arrange();
  {
    auto out = platform::open_file("/d/new", open_mode::create_new);
    ASSERT_TRUE(out.ok());
    ASSERT_TRUE(out->write("hello", 5).ok());
    ASSERT_TRUE(out->seek(8).ok());
    ASSERT_TRUE(out->write("!", 1).ok());
    EXPECT_EQ(out->size().value_or(-1), 9);
    ASSERT_TRUE(out->close().ok());
  }
  EXPECT_EQ(contents("/d/new"), std::string("hello\0\0\0!", 9));

  // An open file keeps its bytes through a rename over it and a clear.
  auto in = platform::open_file("/d/new", open_mode::read);
  ASSERT_TRUE(in.ok());
  ASSERT_TRUE(platform::rename_over("/d/file", "/d/new").ok());
  EXPECT_EQ(contents("/d/new"), "bytes");
  EXPECT_EQ(platform::kind_of("/d/file"), platform::entry_kind::none);
  platform::memory_files::clear();
  char first[5] = {};
  EXPECT_EQ(in->read(first, sizeof first).value_or(0), 5u);
  EXPECT_EQ(std::string(first, 5), "hello");
  EXPECT_EQ(platform::memory_files::open_handles(), 1u);
  ASSERT_TRUE(in->close().ok());
  EXPECT_EQ(platform::memory_files::open_handles(), 0u);
  EXPECT_EQ(platform::kind_of("/d"), platform::entry_kind::none);

  // Replacing truncates; a read-only handle does not write.
  arrange();
  put("/d/file", "new");
  EXPECT_EQ(contents("/d/file"), "new");
  auto reader = platform::open_file("/d/file", open_mode::read);
  ASSERT_TRUE(reader.ok());
  EXPECT_FALSE(reader->write("x", 1).ok());
}

TEST(MemoryFileLinks, AreFollowedOnTheWayAndKeptAtTheEnd) {
  arrange();
  EXPECT_EQ(platform::kind_of("/d/to_full"), platform::entry_kind::link);
  EXPECT_EQ(platform::kind_of("/d/dangling"), platform::entry_kind::link);
  EXPECT_EQ(platform::read_link("/d/to_full").value_or(""), "full");
  EXPECT_EQ(contents("/d/to_full/../file"), "bytes");  // ".." of the folder the link led to
  EXPECT_EQ(platform::list_folder("/d/to_full"), std::vector<std::string>{"inside"});
  // Removing a link never touches what it points at.
  ASSERT_TRUE(platform::remove_entry("/d/to_full").ok());
  EXPECT_EQ(contents("/d/full/inside"), "inside");
}

TEST(MemoryFileLookup, FindsNamesWhateverTheirLetterCase) {
  arrange();
  put("/d/full/Character.AMB", "stock");
  EXPECT_EQ(platform::resolve_path("/D/FULL/character.amb"), "/d/full/Character.AMB");
  EXPECT_EQ(contents("/D/Full/CHARACTER.amb"), "stock");
}

TEST(MemoryFileLock, IsBusyUntilTheHolderLetsGo) {
  arrange();
  const auto no_wait = std::chrono::milliseconds(0);
  {
    auto held = platform::lock_folder("/d", no_wait);
    ASSERT_TRUE(held.ok());
    const auto second = platform::lock_folder("/d", no_wait);
    ASSERT_FALSE(second.ok());
    EXPECT_EQ(second.error().kind, os_error::busy);
  }
  EXPECT_TRUE(platform::lock_folder("/d", no_wait).ok());
  EXPECT_EQ(platform::lock_folder("/d/file", no_wait).error().kind, os_error::not_found);
}

TEST(MemoryFileThreads, WriteSideBySideWithoutLosingAByte) {
  arrange();
  std::vector<std::thread> writers;
  for (int t = 0; t < 8; ++t)
    writers.emplace_back([t] {
      std::string path = "/d/t";
      path += std::to_string(t);
      auto out = platform::open_file(path, open_mode::replace);
      for (int i = 0; i < 200 && out; ++i) (void)out->write("ab", 2);
      if (out) (void)out->close();
    });
  for (auto& writer : writers) writer.join();
  EXPECT_TRUE(platform::flush_tree("/d").ok());
  for (int t = 0; t < 8; ++t) {
    std::string path = "/d/t";
    path += std::to_string(t);
    auto in = platform::open_file(path, open_mode::read);
    ASSERT_TRUE(in.ok());
    EXPECT_EQ(in->size().value_or(0), 400);
  }
}

}  // namespace
}  // namespace vantor
