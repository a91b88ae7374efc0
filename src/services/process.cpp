#include "services/process.h"

#include "platform/platform.h"

namespace vantor {

bool run_command_line(std::string_view command_line, bool wait, std::int32_t show_style) {
  (void)wait;
  (void)show_style;
  return platform::start_program(command_line);
}

}  // namespace vantor
