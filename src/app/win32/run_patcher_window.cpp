#include "app/win32/run_patcher_window.h"

#include "app/frame/program_frame.h"
#include "app/win32/win32_toolkit.h"
#include "ui/win32/win32_message_boxes.h"

namespace vantor {

int run_win32_patcher_window(const stock_identity& identity, const frame_hooks& hooks, message_port* messages) {
  win32_toolkit toolkit;
  win32_message_port message_boxes([&toolkit] { return toolkit.message_owner(); });
  return run_patcher(toolkit, messages != nullptr ? *messages : message_boxes, identity, hooks);
}

}  // namespace vantor
