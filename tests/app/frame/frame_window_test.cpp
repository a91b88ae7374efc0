// The program frame with the real workflow in a player's game folder, on
// the toolkit this test is built with: the created event fills the window
// before it is shown, the buttons (clicked, or Space on the focus) and the
// link reach the workflow, Enter starts nothing, and Esc ends the message
// loop with the exit routine run once. The message boxes are recorded
// instead of shown.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "app/frame/program_frame.h"
#include "frame_driver.h"
#include "support/fake_ports.h"
#include "support/game_folder.h"
#include "support/native_path.h"
#include "support/picture_bytes.h"
#include "support/player_texts.h"
#include "ui/edit_box_text.h"

namespace vantor {
namespace {

namespace texts = testing::texts;

namespace fs = std::filesystem;

class FrameInGameFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    // A cover the box can show: a blue bitmap under the cover's name.
    testing::put_file(game.path("updatefile/封面图片.jpg"), testing::bitmap_file(8, 8, {0, 0, 255}, {0, 0, 255}));
    // The description in GBK ("v0.5说明", an empty line, "v0.4说明") with
    // CR LF line breaks.
    testing::put_file(game.path("updatefile/界面说明.txt"),
                      std::string_view("v0.5\xCB\xB5\xC3\xF7\r\n\r\nv0.4\xCB\xB5\xC3\xF7"));
    stock_size = bundle_size();
    frame_hooks hooks;
    hooks.run_folder = game.root();
    hooks.window_shown = [this] { visible_when_shown = driver->window_visible(); };
    hooks.exit_routine_ran = [this] { ++exit_routines; };
    frame = std::make_unique<program_frame>(driver->toolkit(), hooks);
    frame->init_frame();
    session = std::make_unique<patch_session>(session_ports{messages, frame.get(), frame.get()},
                                              testing::small_stock().identity());
    frame->attach_session(*session);
    frame->set_exit_routine([this] { session->release_session(); });
    frame->load_window(main_window_id);
    ASSERT_TRUE(driver->toolkit().has_window());
    ASSERT_TRUE(driver->settle());
  }

  std::uintmax_t bundle_size() const { return fs::file_size(testing::native_path(game.bundle())); }

  testing::game_folder game;
  testing::fake_ports messages;
  std::unique_ptr<testing::frame_driver> driver = testing::make_frame_driver();
  std::unique_ptr<program_frame> frame;
  std::unique_ptr<patch_session> session;
  std::uintmax_t stock_size = 0;
  bool visible_when_shown = false;
  int exit_routines = 0;
};

TEST_F(FrameInGameFolder, FillsTheWindowFromTheUpdatePackageBeforeShowingIt) {
  EXPECT_TRUE(visible_when_shown);
  EXPECT_TRUE(messages.messages.empty());
  // From GBK, CR LF one line break each: three lines.
  const std::string description = driver->box_text("编辑框1");
  EXPECT_EQ(edit_box_lines(description, true), (std::vector<std::string_view>{"v0.5说明", "", "v0.4说明"}));
  EXPECT_EQ(description, "v0.5说明" + std::string(driver->line_end()) + std::string(driver->line_end()) + "v0.4说明");
  EXPECT_EQ(driver->box_text("编辑框2"), "总帧数=39， 起始帧=17061， 结束帧=17100");
  EXPECT_EQ(driver->picture_format_of("图片框1"), picture_format::bitmap);
  EXPECT_TRUE(driver->shows_still_picture("图片框1"));
  EXPECT_EQ(driver->colour_at(150, 100), 0x0000FFu) << "the cover, stretched over its box";
}

TEST_F(FrameInGameFolder, SpaceOnTheFirstFocusUpgradesAndReportsIt) {
  ASSERT_EQ(driver->focused(), "按钮2");
  driver->press(testing::key::space);
  EXPECT_EQ(messages.messages, (std::vector<std::string>{texts::upgraded}));
  EXPECT_GT(bundle_size(), stock_size);
  EXPECT_TRUE(fs::exists(testing::native_path(game.backup())));
}

TEST_F(FrameInGameFolder, UpgradeAndRestoreButtonsRunTheCommands) {
  driver->click("按钮2", 20, 20);
  ASSERT_EQ(messages.messages, (std::vector<std::string>{texts::upgraded}));
  EXPECT_TRUE(fs::exists(testing::native_path(game.backup())));
  EXPECT_GT(bundle_size(), stock_size);
  driver->click("按钮1", 20, 20);
  EXPECT_EQ(messages.messages, (std::vector<std::string>{texts::upgraded, texts::restored}));
  EXPECT_EQ(bundle_size(), stock_size);
}

TEST_F(FrameInGameFolder, EnterOnTheButtonsStartsNoCommand) {
  for (const char* name : {"按钮2", "按钮1"}) {
    driver->focus(name);
    ASSERT_EQ(driver->focused(), name);
    driver->press(testing::key::enter);
  }
  EXPECT_TRUE(messages.messages.empty());
}

TEST_F(FrameInGameFolder, TheLinkOpensTheHomepage) {
  testing::address_recorder opened;
  driver->click("标签2", 30, 8);
  EXPECT_EQ(opened.addresses, (std::vector<std::string>{"https://orlo.example.com/vantor/"}));
}

TEST_F(FrameInGameFolder, EscapeEndsTheLoopAndTheExitRoutineRunsOnce) {
  driver->press_escape_for_the_loop();
  frame->run_message_loop();
  EXPECT_EQ(frame->end_sequence(0), 0);
  EXPECT_FALSE(driver->toolkit().has_window());
  EXPECT_EQ(exit_routines, 1);
  EXPECT_TRUE(session->state().run_folder.empty()) << "the session let go of what it held";
  frame->end_sequence(0);
  EXPECT_EQ(exit_routines, 1);
}

TEST(FrameWithoutWindow, RunsNoLoop) {
  const auto driver = testing::make_frame_driver();
  program_frame frame(driver->toolkit(), frame_hooks{});
  frame.run_message_loop();  // returns at once: nothing to wait for
  EXPECT_FALSE(frame.has_window());
}

}  // namespace
}  // namespace vantor
