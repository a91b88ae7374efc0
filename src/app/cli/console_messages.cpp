#include "app/cli/console_messages.h"

#include <string>

#include "platform/desktop.h"

namespace vantor {

void console_messages::show_message(std::string_view message) {
  if (progress_ != nullptr) progress_->clear();
  platform::write_text(out_, std::string(message) + "\n");
  std::fflush(out_);
}

}  // namespace vantor
