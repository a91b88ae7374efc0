#pragma once

#include "services/process.h"
#include "workflow/ports.h"

namespace vantor {

/// Starts programs through the desktop (the homepage in the browser).
class desktop_launcher final : public launcher_port {
 public:
  bool run_command_line(std::string_view command_line, bool wait, std::int32_t show_style) override {
    return vantor::run_command_line(command_line, wait, show_style);
  }
};

}  // namespace vantor
