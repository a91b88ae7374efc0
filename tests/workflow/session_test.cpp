#include <gtest/gtest.h>

#include <filesystem>

#include "services/bytes.h"
#include "support/fake_ports.h"
#include "support/game_folder.h"
#include "support/native_path.h"
#include "support/player_texts.h"
#include "workflow/session.h"

namespace vantor {
namespace {

namespace texts = testing::texts;

using testing::bytes_of;
using testing::put_file;

TEST(StartSession, OutsideTheGameFolderItEndsWithoutReadingAnything) {
  testing::game_folder game;
  std::filesystem::remove(testing::native_path(game.path("Vantor.exe")));
  testing::fake_ports fake;
  patch_session session(fake.ports(), testing::small_stock().identity());
  EXPECT_FALSE(session.start_session(game.root()));
  EXPECT_EQ(fake.messages, std::vector<std::string>{texts::not_in_game_folder});
  EXPECT_EQ(fake.exit_codes, std::vector<std::int32_t>{0});
  EXPECT_FALSE(fake.description || fake.summary || fake.cover) << "nothing was shown";
  EXPECT_TRUE(session.state().pose_update.empty());
}

TEST(StartSession, LoadsThePackageIntoTheWindow) {
  testing::game_folder game;
  testing::fake_ports fake;
  patch_session session(fake.ports(), testing::small_stock().identity());
  ASSERT_TRUE(session.start_session(game.root()));
  EXPECT_TRUE(fake.messages.empty());
  EXPECT_EQ(fake.summary, "总帧数=39， 起始帧=17061， 结束帧=17100");
  EXPECT_EQ(fake.description, "v0.5说明");  // GBK shown as UTF-8
  EXPECT_EQ(fake.cover, bytes_of("\xFF\xD8\xFF\xE0 cover"));
  const auto& state = session.state();
  EXPECT_EQ(state.new_frames.frame_bytes(), static_cast<std::int64_t>(game.new_frames.size()));
  EXPECT_EQ(state.new_frames.count, 39);
  EXPECT_EQ(state.pose_update, game.pose_update);
  EXPECT_EQ(testing::generic_path(state.bundle_path), game.root() + "/Common/character.amb");
  EXPECT_EQ(testing::generic_path(state.backup_path), game.root() + "/Common/原始动画备份.amb");
  EXPECT_EQ(testing::generic_path(state.update_folder), game.root() + "/updatefile/");
}

struct frame_file_case {
  const char* name;
  std::optional<byte_string> file;  // none: new.amb.out is missing
  std::int32_t count;
  std::size_t block_length;
  const char* summary;
  friend void PrintTo(const frame_file_case& c, std::ostream* os) { *os << c.name; }
};

class FramePackage : public ::testing::TestWithParam<frame_file_case> {};

TEST_P(FramePackage, CountAndBlockComeFromTheFile) {
  testing::game_folder game;
  std::filesystem::remove(testing::native_path(game.path("updatefile/new.amb.out")));
  if (GetParam().file) put_file(game.path("updatefile/new.amb.out"), *GetParam().file);
  testing::fake_ports fake;
  patch_session session(fake.ports(), testing::small_stock().identity());
  ASSERT_TRUE(session.start_session(game.root()));
  EXPECT_EQ(session.state().new_frames.count, GetParam().count);
  EXPECT_EQ(session.state().new_frames.frame_bytes(), static_cast<std::int64_t>(GetParam().block_length));
  EXPECT_EQ(fake.summary, GetParam().summary);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FramePackage,
    ::testing::Values(
        frame_file_case{"missing", std::nullopt, 0, 0, "总帧数=0， 起始帧=17061， 结束帧=17061"},
        frame_file_case{"three_bytes", byte_string{5, 0, 0}, 0, 0, "总帧数=0， 起始帧=17061， 结束帧=17061"},
        frame_file_case{"count_only", byte_string{0, 0, 0, 0}, 0, 0, "总帧数=0， 起始帧=17061， 结束帧=17061"},
        frame_file_case{"one_frame", byte_string{9, 9, 1, 0, 0, 0}, 1, 2, "总帧数=1， 起始帧=17061， 结束帧=17062"},
        frame_file_case{"negative", byte_string{0xFF, 0xFF, 0xFF, 0xFF}, -1, 0,
                        "总帧数=-1， 起始帧=17061， 结束帧=17060"}),
    [](const auto& row) { return std::string(row.param.name); });

// Notepad's "Unicode": UTF-16LE with its byte-order mark, zero bytes in
// every ASCII letter, read whole; a GBK text ends at its first zero byte.
TEST(StartSession, ADescriptionInUtf16IsShownWhole) {
  testing::game_folder game;
  using namespace std::string_view_literals;
  const std::string_view utf16 =
      "\xFF\xFEv\0"
      "0\0.\0"
      "5\0\xF4\x8B\x0E\x66\r\0\n\0"sv;
  put_file(game.path("updatefile/界面说明.txt"), bytes_of(utf16));
  testing::fake_ports fake;
  patch_session session(fake.ports(), testing::small_stock().identity());
  ASSERT_TRUE(session.start_session(game.root()));
  EXPECT_EQ(fake.description, "v0.5说明\r\n");
}

TEST(StartSession, MissingPackageFilesLeaveEmptyUnits) {
  testing::game_folder game;
  std::filesystem::remove_all(testing::native_path(game.path("updatefile")));
  testing::fake_ports fake;
  patch_session session(fake.ports(), testing::small_stock().identity());
  ASSERT_TRUE(session.start_session(game.root()));
  EXPECT_TRUE(fake.messages.empty());
  EXPECT_EQ(fake.cover, byte_string{});
  EXPECT_EQ(fake.description, "");
}

// A cover larger than any picture the window shows is never read: reading a
// file of gigabytes whole would end the program for want of memory.
TEST(StartSession, ACoverOver64MegabytesIsNotReadAndShowsNothing) {
  constexpr std::uintmax_t limit = std::uintmax_t{64} << 20;
  for (const std::uintmax_t size : {limit, limit + 1, std::uintmax_t{3} << 30}) {
    SCOPED_TRACE(size);
    testing::game_folder game;
    std::filesystem::resize_file(testing::native_path(game.path("updatefile/封面图片.jpg")), size);  // sparse
    testing::fake_ports fake;
    patch_session session(fake.ports(), testing::small_stock().identity());
    ASSERT_TRUE(session.start_session(game.root()));
    ASSERT_TRUE(fake.cover.has_value());
    EXPECT_EQ(fake.cover->size(), size == limit ? limit : 0u);
    EXPECT_EQ(fake.summary, "总帧数=39， 起始帧=17061， 结束帧=17100");
  }
}

TEST(OpenHomepage, OpensTheAddressTheViewShows) {
  testing::fake_ports fake;
  fake.homepage = "https://orlo.example.com/vantor/";
  testing::address_recorder opened;
  patch_session session(fake.ports(), testing::small_stock().identity());
  session.open_homepage();
  session.open_homepage();  // every release of the button opens it again
  EXPECT_EQ(opened.addresses, (std::vector<std::string>(2, "https://orlo.example.com/vantor/")));
  patch_session without_view(fake.without_view(), testing::small_stock().identity());
  without_view.open_homepage();
  EXPECT_EQ(opened.addresses.size(), 2u);
  EXPECT_TRUE(fake.messages.empty());
}

TEST(StartSession, WithoutAViewLoadsThePackageAndShowsNothing) {
  testing::game_folder game;
  testing::fake_ports fake;
  patch_session session(fake.without_view(), testing::small_stock().identity());
  ASSERT_TRUE(session.start_session(game.root()));
  EXPECT_EQ(session.state().new_frames.count, 39);
  EXPECT_FALSE(fake.summary);
}

TEST(ReleaseSession, DropsEverything) {
  testing::game_folder game;
  testing::fake_ports fake;
  patch_session session(fake.ports(), testing::small_stock().identity());
  ASSERT_TRUE(session.start_session(game.root()));
  session.release_session();
  EXPECT_EQ(session.state().new_frames, frame_package{});
  EXPECT_TRUE(session.state().run_folder.empty());
}

TEST(FrameSummary, EndFrameUsesTheFloatingRule) {
  EXPECT_EQ(frame_summary(39, 17061), "总帧数=39， 起始帧=17061， 结束帧=17100");
  EXPECT_EQ(frame_summary(2147483647, 17061), "总帧数=2147483647， 起始帧=17061， 结束帧=2147500708");
}

}  // namespace
}  // namespace vantor
