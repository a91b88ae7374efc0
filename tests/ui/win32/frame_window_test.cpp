// The program frame on the Win32 toolkit with the real workflow in a game
// folder: the created event fills the window before it is shown, Space on
// the first focus upgrades, Enter starts nothing, the link reaches the
// homepage, and Esc ends the message loop with the exit routine run once.
// The message boxes are recorded instead of shown.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "app/frame/program_frame.h"
#include "picture_bytes.h"
#include "support/fake_ports.h"
#include "support/game_folder.h"
#include "support/native_path.h"
#include "ui/win32/win32_picture_box.h"
#include "win32_test_support.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

class frame_in_game_folder : public ::testing::Test {
 protected:
  void SetUp() override {
    // A cover the box can show: a bitmap under the cover's name.
    testing::put_file(game.path("updatefile/封面图片.jpg"), testing::bitmap_file(8, 8, {0, 0, 255}, {0, 0, 255}));
    frame_hooks hooks;
    hooks.run_folder = game.root();
    hooks.window_shown = [this] { visible_when_shown = ::IsWindowVisible(window()) != FALSE; };
    hooks.exit_routine_ran = [this] { ++exit_routines; };
    frame = std::make_unique<program_frame>(toolkit, hooks);
    frame->init_frame();
    session = std::make_unique<patch_session>(session_ports{messages, frame.get(), frame.get()},
                                              testing::small_stock().identity());
    frame->attach_session(*session);
    frame->set_exit_routine([this] { session->release_session(); });
    frame->load_window(main_window_id);
    ASSERT_NE(toolkit.window(), nullptr);
    testing::settle(toolkit);
  }

  HWND window() const { return toolkit.window()->handle(); }
  HWND unit(std::string_view name) const { return toolkit.window()->unit_handle(name); }
  std::uintmax_t bundle_size() const { return fs::file_size(testing::native_path(game.bundle())); }

  testing::game_folder game;
  testing::fake_ports messages;
  win32_toolkit toolkit;
  std::unique_ptr<program_frame> frame;
  std::unique_ptr<patch_session> session;
  bool visible_when_shown = false;
  int exit_routines = 0;
};

TEST_F(frame_in_game_folder, fills_the_window_from_the_update_package_before_showing_it) {
  EXPECT_TRUE(visible_when_shown);
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(testing::text_of(unit("编辑框1")), "v0.5说明") << "the description, from GBK";
  EXPECT_EQ(testing::text_of(unit("编辑框2")), "总帧数=39， 起始帧=17061， 结束帧=17100");
  win32_picture_box* cover = toolkit.window()->picture_box("图片框1");
  EXPECT_EQ(cover->format(), picture_format::bitmap);
  EXPECT_EQ(cover->frame_count(), 1u);
  EXPECT_EQ(testing::capture_client(toolkit, window()).at(150, 100), RGB(0, 0, 255));
}

TEST_F(frame_in_game_folder, space_on_the_first_focus_upgrades_and_reports_it) {
  const std::uintmax_t stock_size = bundle_size();
  ASSERT_EQ(toolkit.window()->unit_name(::GetFocus()), "按钮2");
  testing::press_key(toolkit, VK_SPACE);
  EXPECT_EQ(messages.messages, (std::vector<std::string>{"升级成功！"}));
  EXPECT_GT(bundle_size(), stock_size);
  EXPECT_TRUE(fs::exists(testing::native_path(game.backup())));
}

TEST_F(frame_in_game_folder, enter_on_the_buttons_starts_no_command) {
  for (const char* name : {"按钮2", "按钮1"}) {
    ::SetFocus(unit(name));
    testing::press_key(toolkit, VK_RETURN);
  }
  EXPECT_TRUE(messages.messages.empty());
}

TEST_F(frame_in_game_folder, the_link_opens_the_homepage) {
  testing::address_recorder opened;
  testing::click_at(toolkit, unit("标签2"), {30, 8});
  EXPECT_EQ(opened.addresses, (std::vector<std::string>{"https://orlo.example.com/vantor/"}));
}

TEST_F(frame_in_game_folder, escape_ends_the_loop_and_the_exit_routine_runs_once) {
  INPUT keys[2] = {};
  keys[0].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = VK_ESCAPE;
  keys[1] = keys[0];
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, keys, sizeof(INPUT));
  frame->run_message_loop();  // the watchdog ends a loop that would not
  EXPECT_EQ(frame->end_sequence(0), 0);
  EXPECT_EQ(toolkit.window(), nullptr);
  EXPECT_EQ(exit_routines, 1);
  EXPECT_TRUE(session->state().run_folder.empty()) << "the session let go of what it held";
  frame->end_sequence(0);
  EXPECT_EQ(exit_routines, 1);
}

TEST(frame_without_window, runs_no_loop) {
  win32_toolkit toolkit;
  program_frame frame(toolkit, frame_hooks{});
  frame.run_message_loop();  // returns at once: nothing to wait for
  EXPECT_FALSE(frame.has_window());
}

}  // namespace
}  // namespace vantor
