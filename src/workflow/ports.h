#pragma once
// What the workflow needs from the world around it, in its own words: a view
// that shows the update package, message boxes, and the end of the program.
// The window, the command-line patcher and the tests each provide their own.

#include <cstdint>
#include <string_view>

#include "services/values.h"

namespace vantor {

/// What the patcher shows of the update package.
class patcher_view {
 public:
  virtual ~patcher_view() = default;
  /// The package's cover picture (empty or unrecognised bytes show none).
  virtual void show_cover(const byte_string& picture) = 0;
  /// The package's description, as UTF-8 text.
  virtual void show_description(std::string_view description) = 0;
  /// The frame summary ("总帧数=…").
  virtual void show_frame_summary(std::string_view summary) = 0;
  /// The author's homepage, as the view shows it.
  virtual text homepage_address() const = 0;
};

class message_port {
 public:
  virtual ~message_port() = default;
  /// Shows a message (title "信息：", one OK button) and returns when the
  /// user has dismissed it.
  virtual void show_message(std::string_view message) = 0;
  /// Tells the player why a command failed, just before its closing
  /// message: a box like show_message's. A port that gives reasons its own
  /// way (the command line prints them in English) leaves it out.
  virtual void show_reason(std::string_view reason) { show_message(reason); }
  /// Asks a question with the buttons 是 and 否 (title "信息："); true for
  /// 是. A port that cannot ask answers 否.
  virtual bool ask_yes_no(std::string_view /*question*/) { return false; }
};

class program_port {
 public:
  virtual ~program_port() = default;
  /// Asks for the end of the program with an exit code. The real program
  /// never returns from it; test fakes do, and the caller then returns at
  /// once.
  virtual void end_program(std::int32_t exit_code) = 0;
  /// Whether the program can start itself again as administrator (after
  /// the system's own prompt): the window on Windows.
  virtual bool can_run_as_administrator() const { return false; }
  /// Starts the program again as administrator with the same arguments;
  /// false when the player or the system said no.
  virtual bool run_as_administrator() { return false; }
};

/// The long parts of a command, as a progress display names them.
enum class work_stage {
  bundle,  ///< the animation bundle read, proved and written
  models,  ///< the model package unpacked
};

/// Where a command shows how far it has got. Told from the thread the
/// command runs on.
class progress_port {
 public:
  virtual ~progress_port() = default;
  /// `done` of `total` (bytes of the bundle, entries of the model package).
  virtual void show_progress(work_stage stage, std::uint64_t done, std::uint64_t total) = 0;
};

/// The commands a window's events run on the session, as the window sees it.
class session_commands {
 public:
  virtual ~session_commands() = default;
  /// False when the session refused to start (and asked for the end).
  virtual bool start_session(std::string_view run_folder) = 0;
  virtual bool on_upgrade_clicked() = 0;
  virtual bool on_restore_clicked() = 0;
  virtual void open_homepage() = 0;
  virtual void release_session() = 0;
};

/// The ports one session talks to. A session without a view (the command
/// line) shows nothing; one without a program port just reports a refused
/// start by its result; one without a progress port shows no progress.
struct session_ports {
  message_port& messages;
  patcher_view* view = nullptr;
  program_port* program = nullptr;
  progress_port* progress = nullptr;
};

}  // namespace vantor
