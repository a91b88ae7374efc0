// The Windows programs in a game folder that holds DLLs under the names of
// system DLLs, as other mods and tools leave them there: a full start,
// upgrade, restore and homepage click of each program loads none of them
// (each leaves a marker file beside itself when loaded), and the programs
// work as before.

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

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

// Every DLL the programs load under Wine in such a run (WINEDEBUG=+loaddll),
// and a few a window loads on Windows, but kernel32 and ntdll, which no
// process can take from anywhere else. Known DLLs are among them: Windows
// ignores those in a program's folder, but Wine does not for all of them
// (shcore).
constexpr const char* planted_names[] = {
    "advapi32", "combase", "comctl32", "cryptbase", "dwmapi",   "gdi32",   "imm32",         "kernelbase",
    "mpr",      "msimg32", "msvcrt",   "ole32",     "oleaut32", "propsys", "rpcrt4",        "sechost",
    "shcore",   "shell32", "shlwapi",  "ucrtbase",  "urlmon",   "user32",  "uxtheme",       "version",
    "win32u",   "wininet", "ws2_32",   "zlib1",     "dwrite",   "msctf",   "windowscodecs", "winmm",
};

// A demo game folder with the two demo programs and the planted DLLs.
class planted_game {
 public:
  planted_game() {
    testing::put_file(game_.bundle(), make_demo_stock_bundle());
    const fs::path folder = testing::native_path(game_.root());
    fs::copy_file(testing::native_path(VANTOR_PATCH_DEMO_PROGRAM), folder / "vantor-patch-demo.exe");
    fs::copy_file(testing::native_path(VANTOR_PATCHER_DEMO_PROGRAM), folder / "vantor-patcher-demo.exe");
    for (const char* name : planted_names)
      fs::copy_file(testing::native_path(VANTOR_PLANTED_DLL), folder / (std::string(name) + ".dll"));
  }

  const testing::game_folder& game() const { return game_; }
  fs::path program(const char* name) const { return testing::native_path(game_.root()) / name; }

  /// The planted DLLs that were loaded.
  std::vector<std::string> loaded() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(testing::native_path(game_.root())))
      if (entry.path().extension() == ".ran") names.push_back(testing::utf8_of(entry.path().filename()));
    return names;
  }

  bool upgraded() const {
    return fs::file_size(testing::native_path(game_.bundle())) > static_cast<std::uintmax_t>(demo_bundle_length);
  }

 private:
  testing::game_folder game_;
};

TEST(PlantedDlls, TheCommandLineProgramLoadsNoneOfThem) {
  planted_game folder;
  const fs::path program = folder.program("vantor-patch-demo.exe");
  for (const wchar_t* command : {L"status", L"upgrade", L"restore"}) {
    testing::started_program run = testing::start_program(program, command);
    EXPECT_EQ(testing::finish_program(run), 0) << "vantor-patch-demo " << testing::utf8_of(command);
    if (std::wstring_view(command) == L"upgrade") {
      EXPECT_TRUE(folder.upgraded());
    }
  }
  EXPECT_FALSE(folder.upgraded());
  EXPECT_EQ(folder.loaded(), std::vector<std::string>{});
}

TEST(PlantedDlls, TheWindowLoadsNoneOfThem) {
  planted_game folder;
  testing::started_program run = testing::start_program(folder.program("vantor-patcher-demo.exe"), L"");
  ASSERT_TRUE(run.ok);
  const DWORD process = run.process.dwProcessId;
  const HWND window = wait_for_window(process, "Vantor动画升级 by Orlo");
  if (window != nullptr) {
    ::PostMessageW(child_with_text(window, "开始升级"), BM_CLICK, 0, 0);
    EXPECT_EQ(answer_message(process), "升级成功！");
    EXPECT_TRUE(folder.upgraded());
    ::PostMessageW(child_with_text(window, "复原"), BM_CLICK, 0, 0);
    EXPECT_EQ(answer_message(process), "复原成功!");
    EXPECT_FALSE(folder.upgraded());
    // The homepage: the shell opens it with the desktop's browser.
    const HWND link = child_with_text(window, "http");
    EXPECT_NE(link, nullptr);
    ::PostMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    ::PostMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    ::Sleep(2000);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
  }
  EXPECT_NE(window, nullptr) << "no window";
  EXPECT_EQ(testing::finish_program(run), 0);
  EXPECT_EQ(folder.loaded(), std::vector<std::string>{});
}

}  // namespace
}  // namespace vantor
