// What a failed command puts back is exactly what it found: a file with its
// bytes and permissions, a link as a link (wherever it pointed), or nothing.

#include <gtest/gtest.h>

#include <functional>

#include "platform/files.h"
#include "services/saved_entry.h"
#include "services/staged_file.h"
#include "support/entry_state.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

using testing::bytes_of;
using testing::entry_at;
using testing::temp_folder;

struct saved_case {
  const char* name;
  /// Makes the entry at dir/"slot"; false when this system cannot.
  std::function<bool(const temp_folder&)> arrange;
};

bool link_to(const temp_folder& dir, const char* text) { return platform::make_link(text, dir / "slot").ok(); }

class SavedEntry : public ::testing::TestWithParam<saved_case> {};

TEST_P(SavedEntry, ComesBackExactlyAfterTheSlotWasReplaced) {
  temp_folder dir;
  testing::put_file(dir / "target", bytes_of("the link's target"));
  if (!GetParam().arrange(dir)) GTEST_SKIP() << "this system makes no such entry here";
  const auto before = entry_at(dir / "slot");

  auto saved = saved_entry::take(dir / "slot");
  ASSERT_TRUE(saved) << saved.error();
  // The command's new file goes over whatever was there, link or file.
  ASSERT_TRUE(replace_file_atomically(dir / "slot", bytes_of("the new version")));
  ASSERT_TRUE(saved->put_back());

  EXPECT_EQ(entry_at(dir / "slot"), before);
  EXPECT_EQ(testing::file_bytes(dir / "target"), bytes_of("the link's target")) << "a link's target was touched";
  EXPECT_FALSE(testing::exists(dir / "slot.vantor-tmp"));
}

INSTANTIATE_TEST_SUITE_P(Kinds, SavedEntry,
                         ::testing::Values(saved_case{"nothing", [](auto&) { return true; }},
                                           saved_case{"file",
                                                      [](auto& d) {
                                                        testing::put_file(d / "slot", bytes_of("old bytes"));
                                                        return true;
                                                      }},
                                           saved_case{"read_only_file",
                                                      [](auto& d) {
                                                        testing::put_file(d / "slot", bytes_of("old bytes"));
                                                        return platform::set_writable(d / "slot", false).ok();
                                                      }},
                                           saved_case{"empty_file",
                                                      [](auto& d) {
                                                        testing::put_file(d / "slot", bytes_of(""));
                                                        return true;
                                                      }},
                                           saved_case{"link_to_a_file", [](auto& d) { return link_to(d, "target"); }},
                                           saved_case{"dangling_link", [](auto& d) { return link_to(d, "nowhere"); }}),
                         [](const auto& row) { return std::string(row.param.name); });

// A folder (or anything else that is neither a file nor a link) cannot be
// put back by a rename, so it is not saved, and the caller replaces nothing.
TEST(SavedEntry, AFolderIsNotSaved) {
  temp_folder dir;
  testing::put_folder(dir / "slot");
  const auto saved = saved_entry::take(dir / "slot");
  ASSERT_FALSE(saved);
  EXPECT_EQ(saved.error().kind, os_error::not_a_file);
}

}  // namespace
}  // namespace vantor
