// Start-up to the window shown, under Wine or on Windows: the patcher's
// Win32 window in a demo game folder against a Win32 program that shows one
// empty window. Both run as fresh processes, in turn, in the same run; each
// reports the moment its window has painted, and the time counts from just
// before the process is created.
//
//   vantor_bench_win32_startup DEMO_GAME_FOLDER [runs]
//
// The demo game folder is the one vantor-make-demo writes on Linux.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "shown_clock.h"

namespace {

// Milliseconds from the creation of the process to its "shown" line;
// negative when it failed.
double time_to_shown(const std::wstring& program, const std::wstring& arguments) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!::CreatePipe(&read_end, &write_end, &inherit, 0)) return -1;
  ::SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write_end;
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  std::wstring command = L"\"" + program + L"\" " + arguments;
  PROCESS_INFORMATION process{};
  const long long start = vantor::bench::performance_counter();
  const bool started =
      ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process) != 0;
  ::CloseHandle(write_end);
  if (!started) {
    ::CloseHandle(read_end);
    return -1;
  }
  std::string output;
  char buffer[256];
  DWORD got = 0;
  while (::ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
  ::CloseHandle(read_end);
  ::WaitForSingleObject(process.hProcess, 30000);
  DWORD exit_code = 1;
  ::GetExitCodeProcess(process.hProcess, &exit_code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  const auto found = output.find("shown ");
  if (found == std::string::npos || exit_code != 0) return -1;
  LARGE_INTEGER frequency{};
  ::QueryPerformanceFrequency(&frequency);
  const long long shown = std::atoll(output.c_str() + found + 6);
  return static_cast<double>(shown - start) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The folder of this program, where the two window programs lie too.
std::wstring own_folder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: vantor_bench_win32_startup DEMO_GAME_FOLDER [runs]\n");
    return 2;
  }
  const std::wstring game = argv[1];
  const int runs = argc > 2 ? std::max(3, _wtoi(argv[2])) : 41;
  const std::wstring folder = own_folder();
  const std::wstring empty = folder + L"vantor_bench_win32_empty_window.exe";
  const std::wstring patcher = folder + L"vantor_bench_win32_patcher_window.exe";

  std::vector<double> empty_times;
  std::vector<double> patcher_times;
  for (int i = -3; i < runs; ++i) {  // three rounds to warm the caches
    const double reference = time_to_shown(empty, L"");
    const double ours = time_to_shown(patcher, L"\"" + game + L"\"");
    if (reference < 0 || ours < 0) {
      std::fprintf(stderr, "a program did not report its window (is the folder a demo game folder?)\n");
      return 1;
    }
    if (i >= 0) {
      empty_times.push_back(reference);
      patcher_times.push_back(ours);
    }
  }
  const double reference = median(empty_times);
  const double ours = median(patcher_times);
  std::printf("start-up to window shown, median of %d runs\n", runs);
  std::printf("  empty Win32 window:            %8.2f ms\n", reference);
  std::printf("  vantor-patcher Win32 window:   %8.2f ms (demo game: cover JPEG, description, frame summary)\n", ours);
  std::printf("ratio to the empty window: %.2f\n", ours / reference);
  return 0;
}
