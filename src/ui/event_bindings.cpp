#include "ui/event_bindings.h"

namespace vantor {

std::int32_t mouse_coordinate(std::int32_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint16_t>(value));
}

std::int32_t key_state_of(bool ctrl, bool shift, bool alt) {
  return (ctrl ? 1 : 0) + (shift ? 2 : 0) + (alt ? 4 : 0);
}

std::optional<workflow_handler> bound_handler(const window_definition& window, std::string_view unit,
                                              unit_event event) {
  for (const event_binding& binding : window.bindings) {
    if (binding.unit == unit && binding.event == event) return binding.handler;
  }
  return std::nullopt;
}

bool call_handler(patch_session& session, workflow_handler handler, const event_args& args,
                  std::string_view run_folder) {
  switch (handler) {
    case workflow_handler::start_session: return session.start_session(run_folder);
    case workflow_handler::on_upgrade_clicked: session.on_upgrade_clicked(); break;
    case workflow_handler::on_restore_clicked: session.on_restore_clicked(); break;
    case workflow_handler::open_homepage: session.open_homepage(args.x, args.y, args.key_state); break;
  }
  return true;
}

}  // namespace vantor
