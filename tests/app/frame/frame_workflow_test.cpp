// The program frame with the real workflow in a player's game folder: the
// created event fills the window before it is shown, the buttons and the
// link reach the workflow, and closing the window ends the loop with the
// exit routine run once.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "app/frame/program_frame.h"
#include "app/gui/qt_toolkit.h"
#include "formats/demo_bundle.h"
#include "support/demo_game.h"
#include "support/fake_ports.h"
#include "support/temp_folder.h"
#include "ui/qt_edit_boxes.h"
#include "ui/qt_picture_box.h"

namespace vantor {
namespace {

class frame_in_game_folder : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::put_demo_game(game.path());
    if (HasFatalFailure()) return;
    frame_hooks hooks;
    hooks.run_folder = game.path();
    hooks.window_shown = [this] { visible_when_shown = toolkit.window()->isVisible(); };
    hooks.exit_routine_ran = [this] { ++exit_routines; };
    frame = std::make_unique<program_frame>(toolkit, hooks);
    frame->init_frame();
    session = std::make_unique<patch_session>(session_ports{messages, frame.get(), frame.get()}, demo_stock_identity);
    frame->attach_session(*session);
    frame->set_exit_routine([this] { session->release_session(); });
    frame->load_window(main_window_id);
    ASSERT_NE(toolkit.window(), nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(toolkit.window()));
  }

  QWidget* unit(std::string_view name) const { return toolkit.window()->unit_widget(name); }

  testing::temp_folder game;
  testing::fake_ports messages;
  qt_toolkit toolkit;
  std::unique_ptr<program_frame> frame;
  std::unique_ptr<patch_session> session;
  bool visible_when_shown = false;
  int exit_routines = 0;
};

TEST_F(frame_in_game_folder, fills_the_window_from_the_update_package_before_showing_it) {
  EXPECT_TRUE(visible_when_shown);
  EXPECT_TRUE(messages.messages.empty());
  auto* cover = dynamic_cast<qt_picture_box*>(unit("图片框1"));
  EXPECT_EQ(cover->format(), picture_format::jpeg);
  EXPECT_FALSE(cover->current_image().isNull());
  // The description file is GBK with CR LF line breaks.
  const QString description = dynamic_cast<qt_multi_line_edit*>(unit("编辑框1"))->content();
  EXPECT_TRUE(description.startsWith(QStringLiteral("Vantor 动画升级包（演示版）\n\n这是 vantor-patcher")))
      << description.toStdString();
  EXPECT_EQ(dynamic_cast<qt_single_line_edit*>(unit("编辑框2"))->content(),
            QStringLiteral("总帧数=39， 起始帧=17061， 结束帧=17100"));
}

TEST_F(frame_in_game_folder, upgrade_and_restore_buttons_run_the_commands) {
  QTest::mouseClick(unit("按钮2"), Qt::LeftButton);
  ASSERT_EQ(messages.messages, (std::vector<std::string>{"升级成功！"}));
  EXPECT_TRUE(std::filesystem::exists(game / "Common/原始动画备份.amb"));
  EXPECT_GT(std::filesystem::file_size(game / "Common/character.amb"), std::uintmax_t{65536});
  QTest::mouseClick(unit("按钮1"), Qt::LeftButton);
  EXPECT_EQ(messages.messages, (std::vector<std::string>{"升级成功！", "复原成功!"}));
  EXPECT_EQ(std::filesystem::file_size(game / "Common/character.amb"), std::uintmax_t{65536});
}

TEST_F(frame_in_game_folder, the_link_opens_the_homepage) {
  testing::address_recorder opened;
  QTest::mouseClick(unit("标签2"), Qt::LeftButton, {}, QPoint(30, 8));
  EXPECT_EQ(opened.addresses, (std::vector<std::string>{"https://orlo.example.com/vantor/"}));
}

TEST_F(frame_in_game_folder, closing_the_window_ends_the_loop_and_runs_the_exit_routine_once) {
  QTimer::singleShot(0, toolkit.window(), [this] { QTest::keyClick(toolkit.window(), Qt::Key_Escape); });
  frame->run_message_loop();
  EXPECT_EQ(frame->end_sequence(0), 0);
  EXPECT_EQ(toolkit.window(), nullptr);
  EXPECT_EQ(exit_routines, 1);
  EXPECT_TRUE(session->state().run_folder.empty()) << "the session let go of what it held";
  frame->end_sequence(0);
  EXPECT_EQ(exit_routines, 1);
}

TEST(frame_without_window, runs_no_loop) {
  qt_toolkit toolkit;
  program_frame frame(toolkit, frame_hooks{});
  frame.run_message_loop();  // returns at once: nothing to wait for
  EXPECT_FALSE(frame.has_window());
}

}  // namespace
}  // namespace vantor
