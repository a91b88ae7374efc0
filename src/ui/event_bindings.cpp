#include "ui/event_bindings.h"

namespace vantor {

std::int32_t mouse_coordinate(std::int32_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint16_t>(value));
}

std::int32_t key_state_of(bool ctrl, bool shift, bool alt) { return (ctrl ? 1 : 0) + (shift ? 2 : 0) + (alt ? 4 : 0); }

std::optional<session_command> bound_command(const window_definition& window, std::string_view unit, unit_event event) {
  for (const event_binding& binding : window.bindings) {
    if (binding.unit == unit && binding.event == event) return binding.command;
  }
  return std::nullopt;
}

bool raise_bound_event(const window_definition& window, const event_sink& sink, std::string_view unit, unit_event event,
                       const event_args& args) {
  if (!sink || !bound_command(window, unit, event)) return false;
  sink(unit, event, args);
  return true;
}

bool run_command(session_commands& session, session_command command, std::string_view run_folder) {
  switch (command) {
    case session_command::start_session:
      return session.start_session(run_folder);
    case session_command::on_upgrade_clicked:
      session.on_upgrade_clicked();
      break;
    case session_command::on_restore_clicked:
      session.on_restore_clicked();
      break;
    case session_command::open_homepage:
      session.open_homepage();
      break;
  }
  return true;
}

}  // namespace vantor
