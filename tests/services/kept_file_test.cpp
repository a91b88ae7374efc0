// What a failed command puts back is exactly what it found, by one rename:
// the very file (its identity, its other names, its bytes and permissions),
// a link as a link (wherever it pointed), or nothing.

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "platform/files.h"
#include "services/kept_file.h"
#include "services/staged_file.h"
#include "support/entry_state.h"
#include "support/fault_injector.h"
#include "support/file_identity.h"
#include "support/temp_folder.h"

namespace vantor {
namespace {

using testing::bytes_of;
using testing::entry_at;
using testing::identity_of;
using testing::temp_folder;

struct kept_case {
  const char* name;
  /// Makes the entry at dir/"slot"; false when this system cannot.
  std::function<bool(const temp_folder&)> arrange;
};

bool link_to(const temp_folder& dir, const char* text) { return platform::make_link(text, dir / "slot").ok(); }

class KeptFile : public ::testing::TestWithParam<kept_case> {};

TEST_P(KeptFile, ComesBackItselfAfterTheSlotWasReplaced) {
  temp_folder dir;
  testing::put_file(dir / "target", bytes_of("the link's target"));
  if (!GetParam().arrange(dir)) GTEST_SKIP() << "this system makes no such entry here";
  const auto before = entry_at(dir / "slot");
  const auto identity = identity_of(dir / "slot");

  auto kept = kept_file::keep(dir / "slot");
  ASSERT_TRUE(kept) << kept.error();
  // The command's new file goes over whatever was there, link or file.
  ASSERT_TRUE(replace_file_atomically(dir / "slot", bytes_of("the new version")));
  ASSERT_TRUE(kept->put_back(true));

  EXPECT_EQ(entry_at(dir / "slot"), before);
  if (before.kind == platform::entry_kind::file) {
    EXPECT_EQ(identity_of(dir / "slot"), identity) << "a copy came back";
  }
  EXPECT_EQ(testing::file_bytes(dir / "target"), bytes_of("the link's target")) << "a link's target was touched";
  EXPECT_FALSE(testing::exists(dir / "slot.vantor-tmp"));
  EXPECT_FALSE(platform::kind_of(dir / "slot.vantor-old") != platform::entry_kind::none);
}

TEST_P(KeptFile, StaysAsItWasWhenTheReplacementNeverCame) {
  temp_folder dir;
  testing::put_file(dir / "target", bytes_of("the link's target"));
  if (!GetParam().arrange(dir)) GTEST_SKIP() << "this system makes no such entry here";
  const auto before = entry_at(dir / "slot");
  auto kept = kept_file::keep(dir / "slot");
  ASSERT_TRUE(kept) << kept.error();
  ASSERT_TRUE(kept->put_back(false));
  EXPECT_EQ(entry_at(dir / "slot"), before);
  EXPECT_FALSE(platform::kind_of(dir / "slot.vantor-old") != platform::entry_kind::none);
}

INSTANTIATE_TEST_SUITE_P(Kinds, KeptFile,
                         ::testing::Values(kept_case{"nothing", [](auto&) { return true; }},
                                           kept_case{"file",
                                                     [](auto& d) {
                                                       testing::put_file(d / "slot", bytes_of("old bytes"));
                                                       return true;
                                                     }},
                                           kept_case{"read_only_file",
                                                     [](auto& d) {
                                                       testing::put_file(d / "slot", bytes_of("old bytes"));
                                                       return platform::set_writable(d / "slot", false).ok();
                                                     }},
                                           kept_case{"empty_file",
                                                     [](auto& d) {
                                                       testing::put_file(d / "slot", bytes_of(""));
                                                       return true;
                                                     }},
                                           kept_case{"link_to_a_file", [](auto& d) { return link_to(d, "target"); }},
                                           kept_case{"dangling_link", [](auto& d) { return link_to(d, "nowhere"); }}),
                         [](const auto& row) { return std::string(row.param.name); });

// The player's other name for the file (a hard link elsewhere) still names
// the file the game has after a put-back; no copy was made.
TEST(KeptFile, KeepsTheFilesOtherNames) {
  temp_folder dir;
  testing::put_file(dir / "slot", bytes_of("old bytes"));
  if (!platform::link_file(dir / "slot", dir / "other-name")) GTEST_SKIP() << "no hard links here";
  auto kept = kept_file::keep(dir / "slot");
  ASSERT_TRUE(kept);
  ASSERT_TRUE(replace_file_atomically(dir / "slot", bytes_of("the new version")));
  EXPECT_NE(identity_of(dir / "slot"), identity_of(dir / "other-name"));
  ASSERT_TRUE(kept->put_back(true));
  EXPECT_EQ(identity_of(dir / "slot"), identity_of(dir / "other-name"));
}

// Where the file system gives no second name, the old file goes aside
// itself, and comes back the same.
TEST(KeptFile, WithoutHardLinksTheFileGoesAsideItself) {
  temp_folder dir;
  testing::put_file(dir / "slot", bytes_of("old bytes"));
  const auto identity = identity_of(dir / "slot");
  std::optional<kept_file> kept;
  {
    testing::fault_injector no_links(testing::fault_injector::on(platform::operation::link), 1, false, os_error::other);
    auto taken = kept_file::keep(dir / "slot");
    ASSERT_TRUE(taken);
    kept = std::move(*taken);
  }
  EXPECT_EQ(platform::kind_of(dir / "slot"), platform::entry_kind::none) << "renamed aside";
  ASSERT_TRUE(replace_file_atomically(dir / "slot", bytes_of("the new version")));
  ASSERT_TRUE(kept->put_back(true));
  EXPECT_EQ(testing::file_bytes(dir / "slot"), bytes_of("old bytes"));
  EXPECT_EQ(identity_of(dir / "slot"), identity);
}

// A folder (or anything else that is neither a file nor a link) cannot be
// put back by a rename, so it is not kept, and the caller replaces nothing.
TEST(KeptFile, AFolderIsNotKept) {
  temp_folder dir;
  testing::put_folder(dir / "slot");
  const auto kept = kept_file::keep(dir / "slot");
  ASSERT_FALSE(kept);
  EXPECT_EQ(kept.error().kind, os_error::not_a_file);
}

}  // namespace
}  // namespace vantor
