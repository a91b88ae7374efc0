// gtest main for the Win32 window tests: COM on the test thread for the
// picture decoders, and a watchdog that ends a test stuck on a window with
// a failure instead of letting it hang. Listing the tests needs neither.

#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>

namespace {

using clock = std::chrono::steady_clock;

// No window test takes more than seconds; one still running after this
// waits on something that will not come.
constexpr auto watchdog_limit = std::chrono::seconds(60);

std::atomic<clock::rep> g_deadline{0};

// Each test starts with the whole limit before it.
class watchdog_reset final : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    g_deadline = (clock::now() + watchdog_limit).time_since_epoch().count();
  }
};

DWORD WINAPI watchdog(void*) {
  while (clock::now().time_since_epoch().count() < g_deadline) ::Sleep(200);
  std::fprintf(stderr, "watchdog: a test was still running after %lld s; it waits on a window that never answers\n",
               static_cast<long long>(watchdog_limit.count()));
  std::fflush(stderr);
  ::ExitProcess(99);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ::testing::UnitTest::GetInstance()->listeners().Append(new watchdog_reset);
  g_deadline = (clock::now() + watchdog_limit).time_since_epoch().count();
  ::CloseHandle(::CreateThread(nullptr, 0, watchdog, nullptr, 0, nullptr));
  return RUN_ALL_TESTS();
}
