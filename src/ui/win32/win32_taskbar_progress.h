#pragma once
// The progress bar on a window's taskbar button (ITaskbarList3), through
// COM on the window's thread. Where the shell has no such button (older
// systems, a desktop without a taskbar) nothing is shown and nothing fails.

#include <windows.h>

#include <optional>

struct ITaskbarList3;

namespace vantor {

class win32_taskbar_progress {
 public:
  win32_taskbar_progress() = default;
  ~win32_taskbar_progress();
  win32_taskbar_progress(const win32_taskbar_progress&) = delete;
  win32_taskbar_progress& operator=(const win32_taskbar_progress&) = delete;

  /// Shows fraction (0 to 1) on the window's button; none takes the bar away.
  void show(HWND window, std::optional<double> fraction);
  /// What the shell last took; none when nothing.
  std::optional<double> shown() const { return shown_; }

 private:
  std::optional<double> shown_;
  ITaskbarList3* taskbar_ = nullptr;
  bool tried_ = false;  ///< the shell's object is asked for once
};

}  // namespace vantor
