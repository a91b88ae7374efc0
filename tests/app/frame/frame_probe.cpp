// The windowed patcher with its message boxes replaced by lines on standard
// output, for the tests that run the whole program as a process, on the
// toolkit it is built with (probe_toolkit.h):
//
//   frame_probe [--space-when-shown] [--escape-when-shown] [--escape-until-closed]
//               [--close-when-shown] [--allocate-when-shown] [--broken-window]
//
// Keys go to the window once it is shown. It runs from its own folder, like
// the real program.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

#include "platform/desktop.h"
#include "platform/fault_hook.h"
#include "probe_toolkit.h"
#include "ui/window_definition.h"

namespace vantor::probe {
namespace {

void say(std::string_view what, std::string_view text = {}) {
  std::string line(what);
  for (const char c : text) {
    if (c == '\r') {
      line += "\\r";
    } else if (c == '\n') {
      line += "\\n";
    } else {
      line += c;
    }
  }
  line += '\n';
  platform::write_text(stdout, line);
  std::fflush(stdout);
}

class printed_messages final : public message_port {
 public:
  void show_message(std::string_view message) override {
    say("message: ", message);
    say(window_on_screen() ? "window visible: yes" : "window visible: no");
  }
};

// The homepage is printed instead of opened.
class printed_addresses final : public platform::fault_hook {
 public:
  platform::fault before(platform::operation op, std::string_view path, std::string_view) override {
    if (op != platform::operation::open_address) return {};
    say("open address: ", path);
    return {os_error::other};
  }
};

void allocate_too_much() {
  // 2^40 + 100 bytes: no heap has them, and the low 32 bits say 100.
  void* volatile block = ::operator new((std::size_t{1} << 40) + 100);
  say("allocated?");
  ::operator delete(block);
}

}  // namespace

int probe_main(const std::vector<std::string>& arguments) {
  const auto given = [&arguments](std::string_view wanted) {
    return std::find(arguments.begin() + (arguments.empty() ? 0 : 1), arguments.end(), wanted) != arguments.end();
  };
  const bool space_when_shown = given("--space-when-shown");
  const bool escape_when_shown = given("--escape-when-shown");
  const bool escape_until_closed = given("--escape-until-closed");
  const bool close_when_shown = given("--close-when-shown");
  const bool allocate_when_shown = given("--allocate-when-shown");
  const bool broken_window = given("--broken-window");

  printed_messages messages;
  printed_addresses addresses;
  platform::set_fault_hook(&addresses);
  // Two units of the same name cannot be built.
  window_definition broken = main_window_definition();
  broken.units.push_back(broken.units.front());

  frame_hooks hooks;
  hooks.fatal_report = [](std::string_view report) { say("fatal: ", report); };
  if (broken_window) hooks.main_window = &broken;
  hooks.window_shown = [&] {
    if (!window_on_screen()) std::abort();
    say("shown");
    say(has_program_icon() ? "icon: the program's own" : "icon: none");
    if (space_when_shown) press_space();
    if (escape_when_shown) press_escape();
    if (escape_until_closed) press_escape_until_closed();
    if (close_when_shown) close_window();
    if (allocate_when_shown) call_from_loop(allocate_too_much);
  };
  hooks.exit_routine_ran = [] { say("exit routine ran"); };
  return run_program(hooks, messages);
}

}  // namespace vantor::probe
