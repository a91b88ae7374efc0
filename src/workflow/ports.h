#pragma once
// What the workflow needs from the world around it: the window, message
// boxes, the end of the program and the program launcher. The Qt front end,
// the command-line patcher and the tests each provide their own.

#include <cstdint>
#include <string_view>

#include "services/values.h"

namespace vantor {

/// The units the workflow addresses, by their stored names.
namespace units {
inline constexpr std::string_view homepage_link = "标签2";
inline constexpr std::string_view summary_title = "标签1";
inline constexpr std::string_view summary_box = "编辑框2";
inline constexpr std::string_view cover_picture = "图片框1";
inline constexpr std::string_view description_box = "编辑框1";
inline constexpr std::string_view restore_button = "按钮1";
inline constexpr std::string_view upgrade_button = "按钮2";
inline constexpr std::string_view archive_component = "ZIP压缩1";
}  // namespace units

class window_port {
 public:
  virtual ~window_port() = default;
  /// Replaces a picture box's picture with the picture in bytes (empty or
  /// unrecognised bytes leave the box blank).
  virtual void set_picture(std::string_view unit, const byte_string& bytes) = 0;
  /// Replaces the whole text of an edit box. The text is UTF-8.
  virtual void set_content(std::string_view unit, std::string_view content) = 0;
  /// The current caption of a label.
  virtual text get_caption(std::string_view unit) = 0;
};

class message_port {
 public:
  virtual ~message_port() = default;
  /// Shows a message (title "信息：", one OK button) and returns when the
  /// user has dismissed it.
  virtual void show_message(std::string_view message) = 0;
};

class program_port {
 public:
  virtual ~program_port() = default;
  /// Asks for the end of the program with an exit code. The real program
  /// never returns from it; test fakes do, and the caller then returns at
  /// once.
  virtual void end_program(std::int32_t exit_code) = 0;
};

class launcher_port {
 public:
  virtual ~launcher_port() = default;
  /// Starts a program from a command line; true when it was started.
  virtual bool run_command_line(std::string_view command_line, bool wait, std::int32_t show_style) = 0;
};

/// The ports one session talks to.
struct workflow_ports {
  window_port& window;
  message_port& messages;
  program_port& program;
  launcher_port& launcher;
};

}  // namespace vantor
