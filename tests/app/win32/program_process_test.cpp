// The Win32 windowed program as a process, copied into a folder as a player
// would put it there: its exit code and what it reported on the way out.
// The probe stands for the program with its boxes turned into lines; every
// run is given a time limit and ended if it overruns it.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/game_folder.h"
#include "support/native_path.h"
#include "support/temp_folder.h"
#include "ui/win32/win32_text.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

constexpr DWORD run_limit_ms = 30000;

struct run_result {
  bool ended = false;
  DWORD exit_code = 0;
  std::vector<std::string> lines;
};

std::vector<std::string> lines_of(const std::string& output) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < output.size()) {
    std::size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    std::string line = output.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// Runs program with arguments from another folder than its own, collecting
// its standard output.
run_result run(const fs::path& program, const std::wstring& arguments) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!::CreatePipe(&read_end, &write_end, &inherit, 0)) return {};
  ::SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write_end;
  startup.hStdError = write_end;
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  std::wstring command = L"\"" + program.wstring() + L"\" " + arguments;
  PROCESS_INFORMATION process{};
  const std::wstring elsewhere = fs::temp_directory_path().wstring();
  const bool started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, elsewhere.c_str(),
                                        &startup, &process) != 0;
  ::CloseHandle(write_end);
  run_result result;
  if (!started) {
    ::CloseHandle(read_end);
    return result;
  }
  // The output is read on another thread, so a full pipe never stalls it.
  struct pipe_reader {
    HANDLE pipe;
    std::string output;
  } reading{read_end, {}};
  HANDLE reader = ::CreateThread(
      nullptr, 0,
      [](void* context) -> DWORD {
        auto* into = static_cast<pipe_reader*>(context);
        char buffer[4096];
        DWORD got = 0;
        while (::ReadFile(into->pipe, buffer, sizeof buffer, &got, nullptr) && got > 0)
          into->output.append(buffer, got);
        return 0;
      },
      &reading, 0, nullptr);
  result.ended = ::WaitForSingleObject(process.hProcess, run_limit_ms) == WAIT_OBJECT_0;
  if (!result.ended) ::TerminateProcess(process.hProcess, 1);
  ::WaitForSingleObject(process.hProcess, INFINITE);
  ::GetExitCodeProcess(process.hProcess, &result.exit_code);
  if (::WaitForSingleObject(reader, run_limit_ms) != WAIT_OBJECT_0) ::CancelSynchronousIo(reader);
  ::WaitForSingleObject(reader, INFINITE);
  ::CloseHandle(reader);
  ::CloseHandle(read_end);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  result.lines = lines_of(reading.output);
  return result;
}

struct process_row {
  const char* name;
  bool game_folder;
  std::wstring arguments;
  DWORD exit_code;
  std::vector<std::string> expected_lines;
  std::vector<std::string> absent_lines;
  bool upgraded;
};

void PrintTo(const process_row& row, std::ostream* out) { *out << row.name; }

class ProgramRun : public ::testing::TestWithParam<process_row> {};

TEST_P(ProgramRun, EndsWithItsExitCode) {
  const process_row& row = GetParam();
  testing::game_folder game;
  testing::temp_folder empty;
  const std::string folder = row.game_folder ? game.root() : empty.path();
  const fs::path program = testing::native_path(folder) / "vantor-patcher-probe.exe";
  fs::copy_file(testing::native_path(VANTOR_WIN32_FRAME_PROBE), program);
  const std::uintmax_t stock_size = fs::file_size(testing::native_path(game.bundle()));

  const run_result result = run(program, row.arguments);
  ASSERT_TRUE(result.ended) << "the program did not end";
  EXPECT_EQ(result.exit_code, row.exit_code);
  for (const std::string& expected : row.expected_lines) {
    EXPECT_EQ(std::count(result.lines.begin(), result.lines.end(), expected), 1) << "missing or repeated: " << expected;
  }
  for (const std::string& absent : row.absent_lines) {
    EXPECT_EQ(std::count(result.lines.begin(), result.lines.end(), absent), 0) << "unexpected: " << absent;
  }
  EXPECT_EQ(fs::file_size(testing::native_path(game.bundle())) > stock_size, row.upgraded);
}

// -1, as Windows reports the exit code of ExitProcess(-1).
constexpr DWORD minus_one = 0xFFFFFFFF;

INSTANTIATE_TEST_SUITE_P(
    rows, ProgramRun,
    ::testing::Values(
        process_row{"missing_game_executable",
                    false,
                    L"",
                    0,
                    {"message: 此程序必须置于Vantor主目录下运行!", "window visible: no", "exit routine ran"},
                    {"shown"},
                    false},
        process_row{"escape_closes_the_window",
                    true,
                    L"--escape-when-shown",
                    0,
                    {"shown", "icon: the program's own", "exit routine ran"},
                    {"icon: none", "window visible: yes"},
                    false},
        process_row{"space_on_the_first_focus_upgrades",
                    true,
                    L"--space-when-shown --escape-until-closed",
                    0,
                    {"shown", "message: 升级成功！", "window visible: yes", "exit routine ran"},
                    {},
                    true},
        // One Esc while the upgrade runs is kept: the window closes once
        // it has ended, with its box answered.
        process_row{"one_escape_during_the_upgrade_closes_after_it",
                    true,
                    L"--space-when-shown --escape-when-shown",
                    0,
                    {"shown", "message: 升级成功！", "exit routine ran"},
                    {},
                    true},
        process_row{"window_closed", true, L"--close-when-shown", 0, {"shown", "exit routine ran"}, {}, false},
        process_row{"window_cannot_be_built",
                    true,
                    L"--broken-window",
                    minus_one,
                    {"fatal: 运行时出错!\\r\\n\\r\\n错误信息：载入启动窗口失败\\r\\n"},
                    {"shown", "exit routine ran"},
                    false},
        process_row{"memory_exhausted",
                    true,
                    L"--allocate-when-shown",
                    minus_one,
                    {"shown", "fatal: 运行时出错!\\r\\n\\r\\n错误信息：分配 100 字节内存失败!\\r\\n"},
                    {"allocated?", "exit routine ran"},
                    false}),
    [](const ::testing::TestParamInfo<process_row>& row) { return row.param.name; });

}  // namespace
}  // namespace vantor
