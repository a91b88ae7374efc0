#pragma once
// The session's ports for tests: a view, message boxes and a program end
// that remember what the session asked for, and a hook that records the
// addresses the program opens instead of starting a browser.

#include <optional>
#include <string>
#include <vector>

#include "platform/fault_hook.h"
#include "workflow/ports.h"

namespace vantor::testing {

class fake_ports final : public patcher_view, public message_port, public program_port {
 public:
  void show_cover(const byte_string& picture) override { cover = picture; }
  void show_description(std::string_view text) override { description = std::string(text); }
  void show_frame_summary(std::string_view text) override { summary = std::string(text); }
  text homepage_address() const override { return homepage; }
  void show_message(std::string_view message) override {
    messages.emplace_back(message);
    boxes.emplace_back(message);
  }
  void show_reason(std::string_view reason) override {
    reason_boxes.emplace_back(reason);
    boxes.emplace_back(reason);
  }
  bool ask_yes_no(std::string_view question) override {
    boxes.emplace_back(question);
    return answer_yes;
  }
  void end_program(std::int32_t exit_code) override { exit_codes.push_back(exit_code); }
  bool can_run_as_administrator() const override { return elevation_possible; }
  bool run_as_administrator() override {
    ++elevations_asked;
    return elevation_granted;
  }

  /// All three ports; without_view() for a session like the command line's.
  session_ports ports() { return session_ports{*this, this, this}; }
  session_ports without_view() { return session_ports{*this}; }

  std::optional<byte_string> cover;
  std::optional<std::string> description;
  std::optional<std::string> summary;
  std::string homepage = "https://orlo.example.com/vantor/";
  std::vector<std::string> messages;      ///< the window's own texts
  std::vector<std::string> reason_boxes;  ///< why a command failed
  std::vector<std::string> boxes;         ///< both, in the order shown
  std::vector<std::int32_t> exit_codes;
  bool answer_yes = false;          ///< the answer to a 是/否 question
  bool elevation_possible = false;  ///< as the window on Windows
  bool elevation_granted = false;   ///< the player says yes to the system's prompt
  int elevations_asked = 0;
};

/// Records every address the program asks to open and refuses it, so no
/// browser starts during a test. Installed for its lifetime.
class address_recorder final : public platform::fault_hook {
 public:
  address_recorder() { platform::set_fault_hook(this); }
  ~address_recorder() override { platform::set_fault_hook(nullptr); }
  platform::fault before(platform::operation op, std::string_view path, std::string_view) override {
    if (op != platform::operation::open_address) return {};
    addresses.emplace_back(path);
    return {os_error::other};
  }
  std::vector<std::string> addresses;
};

}  // namespace vantor::testing
