#pragma once
// The session's messages on a terminal: each becomes a line on standard
// output, in the order the window would show its boxes.

#include <cstdio>

#include "workflow/ports.h"

namespace vantor {

class console_messages final : public message_port {
 public:
  explicit console_messages(std::FILE* out) : out_(out) {}
  void show_message(std::string_view message) override;
  /// The command line prints its reasons in English on standard error.
  void show_reason(std::string_view) override {}

 private:
  std::FILE* out_;
};

}  // namespace vantor
