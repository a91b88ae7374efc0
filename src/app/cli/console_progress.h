#pragma once
// A long command's progress on a terminal: one line on standard error,
// written over in place, once the command has taken more than half a
// second. Nothing when standard error is a file or a pipe, so scripts see
// only the command's own lines.

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "workflow/ports.h"

namespace vantor {

class console_progress final : public progress_port {
 public:
  using clock = std::chrono::steady_clock;
  /// How long a command runs before its progress is shown.
  static constexpr std::chrono::milliseconds quiet_time{500};

  /// Counts the time from now.
  console_progress(std::FILE* err, bool terminal, std::function<clock::time_point()> now = clock::now);

  void show_progress(work_stage stage, std::uint64_t done, std::uint64_t total) override;
  /// Takes the line away, so what is printed next starts on a clean line;
  /// the next progress writes it again.
  void clear();

 private:
  std::FILE* err_;
  bool terminal_;
  std::function<clock::time_point()> now_;
  clock::time_point started_;
  std::string shown_;  ///< the line on the terminal now; empty for none
};

}  // namespace vantor
