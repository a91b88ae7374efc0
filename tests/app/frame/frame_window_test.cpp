// The program frame with the real workflow in a player's game folder, on
// the toolkit this test is built with: the created event fills the window
// before it is shown, the buttons (clicked, or Space on the focus) and the
// link reach the workflow, Enter starts nothing, and Esc ends the message
// loop with the exit routine run once. The message boxes are recorded
// instead of shown.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "app/frame/program_frame.h"
#include "frame_driver.h"
#include "platform/fault_hook.h"
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
    session = std::make_unique<patch_session>(frame->ports_for(messages), testing::small_stock().identity());
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

// A slow disk: every write of the command waits 50 ms, while the test, on
// the command's own thread, looks at the window.
class slow_disk final : public platform::fault_hook {
 public:
  explicit slow_disk(std::function<void(int write)> look) : look_(std::move(look)) { platform::set_fault_hook(this); }
  ~slow_disk() override { platform::set_fault_hook(nullptr); }
  platform::fault before(platform::operation op, std::string_view, std::string_view) override {
    if (op != platform::operation::write) return {};
    look_(writes_++);
    platform::fault slow;
    slow.delay = std::chrono::milliseconds(50);
    return slow;
  }

 private:
  std::function<void(int)> look_;
  int writes_ = 0;  ///< on the command's thread only
};

TEST_F(FrameInGameFolder, WhileACommandRunsTheWindowAnswersTakesNoInputAndClosesOnlyAfterIt) {
  int writes = 0;
  int unanswered = 0;
  int busy_pointer = 0;
  bool progress_shown = false;
  bool on_window_thread = false;
  const auto window_thread = std::this_thread::get_id();
  {
    slow_disk disk([&](int write) {
      ++writes;
      on_window_thread = on_window_thread || std::this_thread::get_id() == window_thread;
      if (!driver->answers_from_another_thread()) ++unanswered;
      if (driver->shows_busy_pointer_from_another_thread()) ++busy_pointer;
      progress_shown = progress_shown || driver->taskbar_progress_from_another_thread().value_or(0) > 0;
      if (write == 0) {
        // The player clicks again, presses Space on the button and closes
        // the window; the window's thread takes them during the writes to
        // come. The clicks are dropped, the close is kept for the end.
        driver->click_from_another_thread("按钮2");
        driver->press_space_from_another_thread("按钮2");
        driver->click_from_another_thread("按钮1");
        driver->close_from_another_thread();
      }
    });
    driver->click("按钮2", 20, 20);
  }
  driver->settle();  // anything held back would come now
  ASSERT_GT(writes, 3);
  EXPECT_FALSE(on_window_thread) << "the command ran on the window's thread";
  EXPECT_EQ(unanswered, 0) << "the window did not answer within 200 ms during the command";
  EXPECT_EQ(busy_pointer, writes);
  EXPECT_EQ(progress_shown, driver->has_taskbar_progress());
  EXPECT_EQ(messages.messages, std::vector<std::string>{texts::upgraded}) << "one command, once";
  EXPECT_FALSE(driver->window_visible()) << "the close asked during the command was lost";
  EXPECT_EQ(exit_routines, 0);
  EXPECT_FALSE(driver->shows_busy_pointer_from_another_thread());
  EXPECT_FALSE(driver->taskbar_progress_from_another_thread()) << "the progress was not taken away";
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
