#pragma once
// What a test or the start-up benchmark may put in place of the real
// program's parts. The programs themselves pass an empty set.

#include <functional>
#include <string>
#include <string_view>

#include "ui/window_definition.h"

namespace vantor {

struct frame_hooks {
  /// Receives the fatal-error report instead of its box.
  std::function<void(std::string_view report)> fatal_report;
  /// Stands for the stored main window.
  const window_definition* main_window = nullptr;
  /// The run folder instead of the program's own folder.
  std::string run_folder;
  /// Called once the main window has been shown.
  std::function<void()> window_shown;
  /// Called right after the exit routine has run.
  std::function<void()> exit_routine_ran;
};

}  // namespace vantor
