// The windowed patcher with its message boxes replaced by lines on standard
// output, for the tests that run the whole program as a process:
//
//   frame_probe [--close-when-shown] [--allocate-when-shown] [--broken-window]
//
// It runs from its own folder, like the real program.

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

#include "app/gui/run_patcher_window.h"
#include "formats/demo_bundle.h"
#include "platform/fault_hook.h"
#include "ui/window_definition.h"
#include "workflow/ports.h"

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
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

class printed_messages final : public vantor::message_port {
 public:
  void show_message(std::string_view message) override {
    say("message: ", message);
    bool visible = false;
    for (QWidget* window : QApplication::topLevelWidgets()) visible |= window->isVisible();
    say(visible ? "window visible: yes" : "window visible: no");
  }
};

// The homepage is printed instead of opened.
class printed_addresses final : public vantor::platform::fault_hook {
 public:
  vantor::platform::fault before(vantor::platform::operation op, std::string_view path, std::string_view) override {
    if (op != vantor::platform::operation::open_address) return {};
    say("open address: ", path);
    return {vantor::os_error::other};
  }
};

// The main window: the one top-level window on the screen.
QWidget& shown_window() {
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->isVisible()) return *window;
  std::abort();
}

}  // namespace

int main(int argc, char** argv) {
  bool close_when_shown = false;
  bool allocate_when_shown = false;
  bool broken_window = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    close_when_shown |= argument == "--close-when-shown";
    allocate_when_shown |= argument == "--allocate-when-shown";
    broken_window |= argument == "--broken-window";
  }

  printed_messages messages;
  printed_addresses addresses;
  vantor::platform::set_fault_hook(&addresses);
  // Two units of the same name cannot be built.
  vantor::window_definition broken = vantor::main_window_definition();
  broken.units.push_back(broken.units.front());

  vantor::frame_hooks hooks;
  hooks.fatal_report = [](std::string_view report) { say("fatal: ", report); };
  if (broken_window) hooks.main_window = &broken;
  hooks.window_shown = [&] {
    QWidget& window = shown_window();
    say("shown");
    say(window.windowIcon().isNull() ? "icon: none" : "icon: the program's own");
    if (close_when_shown) QTimer::singleShot(0, &window, [&window] { window.close(); });
    if (allocate_when_shown) {
      QTimer::singleShot(0, &window, [] {
        // 2^40 + 100 bytes: no heap has them, and the low 32 bits say 100.
        void* volatile block = ::operator new((std::size_t{1} << 40) + 100);
        say("allocated?");
        ::operator delete(block);
      });
    }
  };
  hooks.exit_routine_ran = [] { say("exit routine ran"); };
  return vantor::run_patcher_window(argc, argv, vantor::demo_stock_identity, hooks, &messages);
}
