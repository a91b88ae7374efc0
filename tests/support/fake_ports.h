#pragma once
// Ports that record what the workflow asked for, instead of a real window.

#include <map>
#include <string>
#include <vector>

#include "workflow/ports.h"

namespace vantor::testing {

class fake_ports final : public window_port, public message_port, public program_port, public launcher_port {
 public:
  void set_picture(std::string_view unit, const byte_string& bytes) override { pictures[std::string(unit)] = bytes; }
  void set_content(std::string_view unit, std::string_view content) override {
    contents[std::string(unit)] = std::string(content);
  }
  text get_caption(std::string_view unit) override { return captions[std::string(unit)]; }
  void show_message(std::string_view message) override { messages.emplace_back(message); }
  void end_program(std::int32_t exit_code) override { exit_codes.push_back(exit_code); }
  bool run_command_line(std::string_view command_line, bool, std::int32_t) override {
    command_lines.emplace_back(command_line);
    return true;
  }

  workflow_ports ports() { return workflow_ports{*this, *this, *this, *this}; }

  std::map<std::string, byte_string> pictures;
  std::map<std::string, std::string> contents;
  std::map<std::string, std::string> captions;
  std::vector<std::string> messages;
  std::vector<std::int32_t> exit_codes;
  std::vector<std::string> command_lines;
};

}  // namespace vantor::testing
