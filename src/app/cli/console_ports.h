#pragma once
// The workflow's ports for a terminal: messages become lines on standard
// output; there is no window to fill and no browser to open.

#include <cstdio>

#include "workflow/ports.h"

namespace vantor {

class console_ports final : public window_port, public message_port, public program_port, public launcher_port {
 public:
  explicit console_ports(std::FILE* out) : out_(out) {}

  void set_picture(std::string_view, const byte_string&) override {}
  void set_content(std::string_view, std::string_view) override {}
  text get_caption(std::string_view) override { return {}; }
  void show_message(std::string_view message) override;
  void end_program(std::int32_t) override { ended_ = true; }
  bool run_command_line(std::string_view, bool, std::int32_t) override { return false; }

  workflow_ports ports() { return workflow_ports{*this, *this, *this, *this}; }
  bool ended() const { return ended_; }

 private:
  std::FILE* out_;
  bool ended_ = false;
};

}  // namespace vantor
