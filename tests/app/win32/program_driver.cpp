#include "program_driver.h"

#include "ui/win32/win32_text.h"

namespace vantor::testing {

started_program start_program(const std::filesystem::path& program, const std::wstring& arguments) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  std::wstring command = L"\"" + program.wstring() + L"\" " + arguments;
  started_program run;
  const std::wstring folder = program.parent_path().wstring();
  run.ok = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, folder.c_str(),
                            &startup, &run.process) != 0;
  return run;
}

long long finish_program(started_program& run, DWORD limit_ms) {
  if (!run.ok) return -3;
  const bool ended = ::WaitForSingleObject(run.process.hProcess, limit_ms) == WAIT_OBJECT_0;
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

}  // namespace vantor::testing
