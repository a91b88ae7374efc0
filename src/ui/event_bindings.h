#pragma once
// From a unit's event to the workflow handler the table binds to it.

#include <cstdint>
#include <optional>
#include <string_view>

#include "ui/window_definition.h"
#include "workflow/session.h"

namespace vantor {

/// What a mouse event passes to its handler.
struct event_args {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t key_state = 0;
};

/// A pointer coordinate as handlers receive it: its low 16 bits, unsigned.
std::int32_t mouse_coordinate(std::int32_t value);

/// 1 for Ctrl, 2 for Shift, 4 for Alt, added up.
std::int32_t key_state_of(bool ctrl, bool shift, bool alt);

/// The handler bound to a unit's event (an empty unit name is the window).
std::optional<workflow_handler> bound_handler(const window_definition& window, std::string_view unit,
                                              unit_event event);

/// Calls a handler on the session. False only when start_session asked for
/// the end of the program.
bool call_handler(patch_session& session, workflow_handler handler, const event_args& args,
                  std::string_view run_folder);

}  // namespace vantor
