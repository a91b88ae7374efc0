#pragma once
// Ports that remember what the workflow asked for, so tests can look at the
// messages and launches instead of real boxes and browsers.

#include <string>
#include <vector>

#include "workflow/ports.h"

namespace vantor::testing {

class recording_messages final : public message_port {
 public:
  void show_message(std::string_view message) override { messages.emplace_back(message); }
  std::vector<std::string> messages;
};

class recording_launcher final : public launcher_port {
 public:
  bool run_command_line(std::string_view command_line, bool, std::int32_t) override {
    command_lines.emplace_back(command_line);
    return true;
  }
  std::vector<std::string> command_lines;
};

class recording_program final : public program_port {
 public:
  void end_program(std::int32_t exit_code) override { exit_codes.push_back(exit_code); }
  std::vector<std::int32_t> exit_codes;
};

}  // namespace vantor::testing
