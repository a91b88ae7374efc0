#include "app/cli/console_messages.h"

namespace vantor {

void console_messages::show_message(std::string_view message) {
  std::fwrite(message.data(), 1, message.size(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

}  // namespace vantor
