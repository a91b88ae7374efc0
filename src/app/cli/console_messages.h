#pragma once
// The session's messages on a terminal: each becomes a line on standard
// output, in the order the window would show its boxes.

#include <cstdio>

#include "app/cli/console_progress.h"
#include "workflow/ports.h"

namespace vantor {

class console_messages final : public message_port {
 public:
  /// The progress line, when there is one, is taken away before each message.
  explicit console_messages(std::FILE* out, console_progress* progress = nullptr) : out_(out), progress_(progress) {}
  void show_message(std::string_view message) override;
  /// The command line prints its reasons in English on standard error.
  void show_reason(std::string_view) override {}

 private:
  std::FILE* out_;
  console_progress* progress_;
};

}  // namespace vantor
