#pragma once
// How both programs of the Win32 start-up benchmark say "the window is on
// the screen": once it and all its units have painted, they print the
// performance counter (one clock for every process of the system) and end.

#include <windows.h>

#include <cstdio>

namespace vantor::bench {

inline long long performance_counter() {
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  return now.QuadPart;
}

/// Paints the window and its children now, then prints "shown <counter>".
inline void report_shown(HWND window) {
  ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  ::GdiFlush();
  std::printf("shown %lld\n", performance_counter());
  std::fflush(stdout);
}

}  // namespace vantor::bench
