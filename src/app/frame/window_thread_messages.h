#pragma once
// The session's message boxes from a command that runs off the window's
// thread: each is shown on the window's thread while the command waits for
// the player's answer.

#include "app/frame/command_thread.h"
#include "workflow/ports.h"

namespace vantor {

class window_thread_messages final : public message_port {
 public:
  window_thread_messages(message_port& boxes, command_thread& thread) : boxes_(boxes), thread_(thread) {}

  void show_message(std::string_view message) override {
    thread_.call_on_window_thread([&] { boxes_.show_message(message); });
  }
  void show_reason(std::string_view reason) override {
    thread_.call_on_window_thread([&] { boxes_.show_reason(reason); });
  }
  bool ask_yes_no(std::string_view question) override {
    bool yes = false;
    thread_.call_on_window_thread([&] { yes = boxes_.ask_yes_no(question); });
    return yes;
  }

 private:
  message_port& boxes_;
  command_thread& thread_;
};

}  // namespace vantor
