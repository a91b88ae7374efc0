#pragma once
// From a unit's event to the session command the table binds to it.

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "ui/window_definition.h"
#include "workflow/ports.h"

namespace vantor {

/// What a mouse event carries: the pointer in the unit's own coordinates
/// and the keys held. The commands bound to it do not use them.
struct event_args {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t key_state = 0;
};

/// A pointer coordinate as events carry it: its low 16 bits, unsigned.
std::int32_t mouse_coordinate(std::int32_t value);

/// 1 for Ctrl, 2 for Shift, 4 for Alt, added up.
std::int32_t key_state_of(bool ctrl, bool shift, bool alt);

/// The command bound to a unit's event (an empty unit name is the window).
std::optional<session_command> bound_command(const window_definition& window, std::string_view unit, unit_event event);

/// Receives the events a window's units raise that the table binds.
using event_sink = std::function<void(std::string_view unit, unit_event event, const event_args& args)>;

/// Hands a unit's event to sink when the table binds it to a command: the
/// one place that decides which events go on. False when it did not.
bool raise_bound_event(const window_definition& window, const event_sink& sink, std::string_view unit, unit_event event,
                       const event_args& args = {});

/// Runs a command on the session. False only when start_session refused.
bool run_command(session_commands& session, session_command command, std::string_view run_folder);

}  // namespace vantor
