// The upgrade streams the update package: it uses the frames the window
// showed or none, and a failure in the middle of the stream leaves the game
// as it was.

#include <gtest/gtest.h>

#include <filesystem>

#include "services/little_endian.h"
#include "support/fake_ports.h"
#include "support/fault_injector.h"
#include "support/game_folder.h"
#include "support/native_path.h"
#include "support/player_texts.h"
#include "workflow/refusal.h"
#include "workflow/session.h"

namespace vantor {
namespace {

namespace texts = testing::texts;

using testing::bytes_of;
using testing::file_bytes;
using testing::put_file;
namespace fs = std::filesystem;

struct change_case {
  const char* name;
  std::function<void(testing::game_folder&)> change;
  friend void PrintTo(const change_case& c, std::ostream* os) { *os << c.name; }
};

class PackageChangedAfterStart : public ::testing::TestWithParam<change_case> {};

TEST_P(PackageChangedAfterStart, IsRefusedAndChangesNothing) {
  testing::game_folder game;
  testing::fake_ports fake;
  patch_session session(fake.ports(), testing::small_stock().identity());
  ASSERT_TRUE(session.start_session(game.root()));
  GetParam().change(game);
  const auto before = game.snapshot();
  EXPECT_FALSE(session.on_upgrade_clicked());
  EXPECT_EQ(fake.messages, std::vector<std::string>{texts::not_upgraded});
  ASSERT_EQ(session.reasons().size(), 1u);
  EXPECT_EQ(session.reasons().front().kind, refusal::changed);
  EXPECT_EQ(game.snapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PackageChangedAfterStart,
    ::testing::Values(change_case{"more_frames",
                                  [](auto& g) {
                                    put_file(g.path("updatefile/new.amb.out"),
                                             testing::frame_package(testing::random_bytes(40 * 16, 9), 40));
                                  }},
                      change_case{"same_length_other_count",
                                  [](auto& g) {
                                    put_file(g.path("updatefile/new.amb.out"),
                                             testing::frame_package(g.new_frames, 38));
                                  }},
                      change_case{"cut_short",
                                  [](auto& g) {
                                    put_file(g.path("updatefile/new.amb.out"), byte_string{1, 2});
                                  }},
                      change_case{"removed",
                                  [](auto& g) { fs::remove(testing::native_path(g.path("updatefile/new.amb.out"))); }}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(PackageChangedAfterStart, TheSameBytesWrittenAgainAreUsed) {
  testing::game_folder game;
  testing::fake_ports fake;
  patch_session session(fake.ports(), testing::small_stock().identity());
  ASSERT_TRUE(session.start_session(game.root()));
  put_file(game.path("updatefile/new.amb.out"), testing::frame_package(game.new_frames, game.new_count));
  EXPECT_TRUE(session.on_upgrade_clicked());
  EXPECT_EQ(file_bytes(game.bundle()),
            testing::upgraded_bundle(testing::small_stock().bundle, game.new_frames, game.new_count));
}

struct stream_fault_case {
  const char* name;
  platform::operation op;
  const char* path;
  int nth;  ///< which matching operation fails: the middle of a stream
  std::vector<std::string> messages;
  friend void PrintTo(const stream_fault_case& c, std::ostream* os) { *os << c.name; }
};

class FaultInTheStream : public ::testing::TestWithParam<stream_fault_case> {};

TEST_P(FaultInTheStream, LeavesTheGameAsItWas) {
  testing::game_folder game;
  // 3 MB of frames, so the frames and the bundle go in several pieces.
  game.new_frames = testing::random_bytes(3 << 20, 5);
  put_file(game.path("updatefile/new.amb.out"), testing::frame_package(game.new_frames, game.new_count));
  const auto before = game.snapshot();
  {
    testing::fault_injector fault(testing::fault_injector::on(GetParam().op, GetParam().path), GetParam().nth, false,
                                  os_error::io_error);
    EXPECT_EQ(testing::click(game, testing::command::upgrade), GetParam().messages);
  }
  auto after = game.snapshot();
  EXPECT_EQ(after, before);
  EXPECT_EQ(testing::click(game, testing::command::upgrade), std::vector<std::string>{texts::upgraded});
}

INSTANTIATE_TEST_SUITE_P(Table, FaultInTheStream,
                         ::testing::Values(
                             // Reads of new.amb.out: its count at start, before the upgrade, before
                             // the copy, then the frames in pieces of 1 MB.
                             stream_fault_case{"reading_the_frames",
                                               platform::operation::read,
                                               "new.amb.out",
                                               5,
                                               {texts::frame_count_failed, texts::not_upgraded}},
                             stream_fault_case{"writing_the_frames",
                                               platform::operation::write,
                                               "character.amb.vantor-tmp",
                                               3,
                                               {texts::frame_count_failed, texts::not_upgraded}},
                             stream_fault_case{"reading_the_bundle",
                                               platform::operation::read,
                                               "Common/character.amb",
                                               1,
                                               // a bundle that cannot be read is not called modified
                                               {texts::not_upgraded}}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vantor
