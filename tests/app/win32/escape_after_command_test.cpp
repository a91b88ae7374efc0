// One Esc closes the window, before any command as right after the last box
// of one: the press is sent through the system's input once, the moment the
// box has gone, and the program must end. The limit only catches a window
// that never goes; how long it took is printed for whoever compares.

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>

#include "formats/demo_bundle.h"
#include "program_driver.h"
#include "support/game_folder.h"
#include "support/native_path.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using testing::answer_message;
using testing::child_with_text;
using testing::wait_for_window;

constexpr DWORD gone_limit_ms = 10000;

struct escape_row {
  const char* name;
  std::vector<std::pair<std::string, std::string>> clicks;  // button, the text of its last box
  bool close_box;                                           // the close box instead of Esc
};

void PrintTo(const escape_row& row, std::ostream* out) { *out << row.name; }

class EscapeAfterACommand : public ::testing::TestWithParam<escape_row> {};

void press_escape_once() {
  INPUT keys[2] = {};
  for (INPUT& key : keys) {
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = VK_ESCAPE;
    key.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(VK_ESCAPE, MAPVK_VK_TO_VSC));
  }
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, keys, sizeof(INPUT));
}

// A click on the close box, through the system's input.
void click_close_box(HWND window) {
  RECT frame{};
  ::GetWindowRect(window, &frame);
  const int edge = ::GetSystemMetrics(SM_CXFRAME) + ::GetSystemMetrics(SM_CXSIZE) / 2;
  const POINT at{frame.right - edge, frame.top + ::GetSystemMetrics(SM_CYFRAME) + ::GetSystemMetrics(SM_CYSIZE) / 2};
  INPUT mouse[3] = {};
  for (INPUT& part : mouse) {
    part.type = INPUT_MOUSE;
    part.mi.dx = ::MulDiv(at.x, 65536, ::GetSystemMetrics(SM_CXSCREEN)) + 1;
    part.mi.dy = ::MulDiv(at.y, 65536, ::GetSystemMetrics(SM_CYSCREEN)) + 1;
  }
  mouse[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  mouse[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
  mouse[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
  ::SendInput(3, mouse, sizeof(INPUT));
}

TEST_P(EscapeAfterACommand, OnePressClosesTheWindow) {
  const escape_row& row = GetParam();
  testing::game_folder game;
  testing::put_file(game.bundle(), make_demo_stock_bundle());
  const fs::path program = testing::native_path(game.root()) / "vantor-patcher-demo.exe";
  fs::copy_file(testing::native_path(VANTOR_PATCHER_DEMO_PROGRAM), program);

  testing::started_program run = testing::start_program(program, L"");
  ASSERT_TRUE(run.ok);
  const DWORD process = run.process.dwProcessId;
  const HWND window = wait_for_window(process, "Vantor动画升级 by Orlo");
  ASSERT_NE(window, nullptr) << "no window";
  if (row.clicks.empty()) ::SetForegroundWindow(window);  // as the player's first look gives it
  for (const auto& [button, message] : row.clicks) {
    ::PostMessageW(child_with_text(window, button), BM_CLICK, 0, 0);
    EXPECT_EQ(answer_message(process), message);
  }
  const auto pressed = std::chrono::steady_clock::now();
  if (row.close_box)
    click_close_box(window);
  else
    press_escape_once();
  const bool gone = ::WaitForSingleObject(run.process.hProcess, gone_limit_ms) == WAIT_OBJECT_0;
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - pressed);
  std::cout << row.name << ": the window went " << took.count() << " ms after the press\n";
  EXPECT_TRUE(gone) << "one press did not close the window";
  EXPECT_EQ(testing::finish_program(run), 0);
}

INSTANTIATE_TEST_SUITE_P(rows, EscapeAfterACommand,
                         ::testing::Values(escape_row{"before_any_command", {}, false},
                                           escape_row{"after_the_upgrade", {{"开始升级", "升级成功！"}}, false},
                                           escape_row{"after_the_upgrade_and_the_restore",
                                                      {{"开始升级", "升级成功！"}, {"复原", "复原成功!"}},
                                                      false},
                                           escape_row{
                                               "close_box_after_the_upgrade", {{"开始升级", "升级成功！"}}, true}),
                         [](const ::testing::TestParamInfo<escape_row>& row) { return row.param.name; });

}  // namespace
}  // namespace vantor
