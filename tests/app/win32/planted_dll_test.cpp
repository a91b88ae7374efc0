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
#include "support/game_folder.h"
#include "support/native_path.h"
#include "ui/win32/win32_text.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

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

constexpr DWORD run_limit_ms = 30000;

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

struct started {
  PROCESS_INFORMATION process{};
  bool ok = false;
};

// Starts the program in its folder with no console of its own; its output
// goes nowhere.
started start(const fs::path& program, const std::wstring& arguments) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  std::wstring command = L"\"" + program.wstring() + L"\" " + arguments;
  started run;
  const std::wstring folder = program.parent_path().wstring();
  run.ok = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, folder.c_str(),
                            &startup, &run.process) != 0;
  return run;
}

// Waits for the end (ending it when it overruns) and gives its exit code;
// -2 when it had to be ended.
long long finish(started& run) {
  if (!run.ok) return -3;
  const bool ended = ::WaitForSingleObject(run.process.hProcess, run_limit_ms) == WAIT_OBJECT_0;
  if (!ended) {
    ::TerminateProcess(run.process.hProcess, 1);
    ::WaitForSingleObject(run.process.hProcess, INFINITE);
  }
  DWORD code = 0;
  ::GetExitCodeProcess(run.process.hProcess, &code);
  ::CloseHandle(run.process.hThread);
  ::CloseHandle(run.process.hProcess);
  run.ok = false;
  return ended ? static_cast<long long>(code) : -2;
}

// The process's visible top-level window with this title, waited for.
HWND wait_for_window(DWORD process, const std::string& title) {
  struct search {
    DWORD process;
    const std::string& title;
    HWND found = nullptr;
  } wanted{process, title};
  for (int tries = 0; tries < 300 && wanted.found == nullptr; ++tries) {
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
          auto* into = reinterpret_cast<search*>(context);
          DWORD owner = 0;
          ::GetWindowThreadProcessId(window, &owner);
          if (owner != into->process || !::IsWindowVisible(window) || window_text(window) != into->title) return TRUE;
          into->found = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&wanted));
    if (wanted.found == nullptr) ::Sleep(100);
  }
  return wanted.found;
}

// The child window whose text starts with this text.
HWND child_with_text(HWND parent, const std::string& text) {
  struct search {
    const std::string& text;
    HWND found = nullptr;
  } wanted{text};
  ::EnumChildWindows(
      parent,
      [](HWND window, LPARAM context) -> BOOL {
        auto* into = reinterpret_cast<search*>(context);
        if (!window_text(window).starts_with(into->text)) return TRUE;
        into->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&wanted));
  return wanted.found;
}

// Answers the message box the click opens; its text.
std::string answer_message(DWORD process) {
  const HWND box = wait_for_window(process, "信息：");
  if (box == nullptr) return "<no message>";
  std::string text;
  // The first label with text (the icon is a label too).
  for (HWND label = ::FindWindowExW(box, nullptr, L"Static", nullptr); label != nullptr && text.empty();
       label = ::FindWindowExW(box, label, L"Static", nullptr))
    text = window_text(label);
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  for (int tries = 0; tries < 100 && ::IsWindow(box); ++tries) ::Sleep(50);
  return text;
}

TEST(PlantedDlls, TheCommandLineProgramLoadsNoneOfThem) {
  planted_game folder;
  const fs::path program = folder.program("vantor-patch-demo.exe");
  for (const wchar_t* command : {L"status", L"upgrade", L"restore"}) {
    started run = start(program, command);
    EXPECT_EQ(finish(run), 0) << "vantor-patch-demo " << testing::utf8_of(command);
    if (std::wstring_view(command) == L"upgrade") {
      EXPECT_TRUE(folder.upgraded());
    }
  }
  EXPECT_FALSE(folder.upgraded());
  EXPECT_EQ(folder.loaded(), std::vector<std::string>{});
}

TEST(PlantedDlls, TheWindowLoadsNoneOfThem) {
  planted_game folder;
  started run = start(folder.program("vantor-patcher-demo.exe"), L"");
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
  EXPECT_EQ(finish(run), 0);
  EXPECT_EQ(folder.loaded(), std::vector<std::string>{});
}

}  // namespace
}  // namespace vantor
