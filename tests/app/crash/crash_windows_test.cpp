// The command-line patcher ended with TerminateProcess at every file
// operation, on Windows: afterwards the live bundle is whole, the stock
// bytes survive, and the next clean run ends in the complete state.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "formats/animation_bundle.h"
#include "support/game_folder.h"
#include "support/native_path.h"

namespace vantor {
namespace {

using testing::file_bytes;

struct run_result {
  DWORD exit_code = 0;
  std::string err;
};

std::wstring widen(std::string_view text) { return testing::native_path(text).wstring(); }

// The test build of the patcher, built beside this program.
std::wstring crash_binary() {
  wchar_t own[MAX_PATH * 4];
  const DWORD length = ::GetModuleFileNameW(nullptr, own, MAX_PATH * 4);
  std::wstring folder(own, length);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"vantor_patch_crashtest.exe";
}

// Runs the test build of the patcher; stop_at 0 never stops it.
run_result patch(const testing::game_folder& game, const char* command, long stop_at, bool count = false) {
  ::SetEnvironmentVariableW(L"VANTOR_STOP_AT", stop_at > 0 ? std::to_wstring(stop_at).c_str() : nullptr);
  ::SetEnvironmentVariableW(L"VANTOR_COUNT_OPERATIONS", count ? L"1" : nullptr);
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  ::CreatePipe(&read_end, &write_end, &inherit, 0);
  ::SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdError = write_end;
  startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
  std::wstring line = L"\"" + crash_binary() + L"\" --game \"" + widen(game.root()) + L"\" " + widen(command);
  PROCESS_INFORMATION process{};
  run_result result;
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    ::CloseHandle(read_end);
    ::CloseHandle(write_end);
    result.exit_code = 0xFFFF;
    return result;
  }
  ::CloseHandle(write_end);
  char buffer[512];
  DWORD got = 0;
  while (::ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0) result.err.append(buffer, got);
  ::CloseHandle(read_end);
  ::WaitForSingleObject(process.hProcess, INFINITE);
  ::GetExitCodeProcess(process.hProcess, &result.exit_code);
  ::CloseHandle(process.hProcess);
  ::CloseHandle(process.hThread);
  return result;
}

long count_operations(const testing::game_folder& game, const char* command) {
  const auto result = patch(game, command, 0, true);
  const auto at = result.err.find("operations: ");
  return at == std::string::npos ? 0 : std::stol(result.err.substr(at + 12));
}

const byte_string& stock() { return testing::small_stock().bundle; }

struct crash_case {
  const char* name;
  const char* command;
  int upgrades_before;
  friend void PrintTo(const crash_case& c, std::ostream* os) { *os << c.name; }
};

class EndedAtEveryOperation : public ::testing::TestWithParam<crash_case> {};

TEST_P(EndedAtEveryOperation, LeavesTheGameRecoverable) {
  const auto& c = GetParam();
  testing::game_folder reference;
  for (int i = 0; i < c.upgrades_before; ++i) ASSERT_EQ(patch(reference, "upgrade", 0).exit_code, 0u);
  const byte_string old_bundle = file_bytes(reference.bundle());
  const long operations = count_operations(reference, c.command);
  ASSERT_GT(operations, 5);
  const byte_string new_bundle = file_bytes(reference.bundle());
  const byte_string upgraded = testing::upgraded_bundle(stock(), reference.new_frames, reference.new_count);

  for (long k = 1; k <= operations; ++k) {
    SCOPED_TRACE(::testing::Message() << "ended at operation " << k << " of " << operations);
    testing::game_folder game;
    for (int i = 0; i < c.upgrades_before; ++i) ASSERT_EQ(patch(game, "upgrade", 0).exit_code, 0u);
    EXPECT_EQ(patch(game, c.command, k).exit_code, 9u) << "the process was not ended at that operation";
    const byte_string bundle = file_bytes(game.bundle());
    EXPECT_TRUE(bundle == old_bundle || bundle == new_bundle) << "torn: " << bundle.size() << " bytes";
    const bundle_kind live = inspect_bundle(game.bundle(), testing::small_stock().identity()).kind;
    EXPECT_TRUE(live == bundle_kind::stock || live == bundle_kind::upgraded || file_bytes(game.backup()) == stock())
        << "stock prefix lost";
    // Whatever the end left, an upgrade now succeeds and is complete.
    EXPECT_EQ(patch(game, "upgrade", 0).exit_code, 0u);
    EXPECT_EQ(file_bytes(game.bundle()), upgraded);
    EXPECT_EQ(file_bytes(game.backup()), stock());
    EXPECT_EQ(file_bytes(game.pose()), game.pose_update);
    EXPECT_EQ(file_bytes(game.action()), game.action_update);
    if (::testing::Test::HasFailure()) return;
  }
}

INSTANTIATE_TEST_SUITE_P(Commands, EndedAtEveryOperation,
                         ::testing::Values(crash_case{"first_upgrade", "upgrade", 0},
                                           crash_case{"second_upgrade", "upgrade", 1},
                                           crash_case{"restore", "restore", 1}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vantor
