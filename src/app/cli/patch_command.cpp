#include "app/cli/patch_command.h"

#include <optional>
#include <string>
#include <string_view>

#include "app/cli/console_messages.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/outcome.h"
#include "platform/system_error.h"
#include "services/files.h"
#include "workflow/game_status.h"
#include "workflow/session.h"

namespace vantor {

namespace {

// What a player can do about a game folder this user may not write.
std::string_view rights_hint() {
  return platform::can_run_elevated() ? "the game folder is protected; run vantor-patch as administrator"
                                      : "the game folder is not writable for this user";
}

// After a file refused for want of rights: the hint about the game folder,
// only when the game folder itself (where the file lies) refuses this user;
// else the file's own reason said it all.
bool game_folder_refuses(const failure& why, const text& game_folder) {
  if (why.kind != os_error::no_permission) return false;
  const std::string folder = why.path == game_folder ? why.path : platform::parent_folder(why.path);
  if (folder != game_folder) return false;
  const status writable = check_writable(folder);
  return !writable && writable.error().kind == os_error::no_permission;
}

constexpr const char* usage_text =
    "Usage: %s [--game DIR] status | upgrade | restore\n"
    "\n"
    "Installs the animation update in DIR/updatefile into the game in DIR, or puts\n"
    "the original animation files back. Without --game, DIR is the folder that\n"
    "holds this program.\n"
    "\n"
    "  status    show the state of the game's animation files; changes nothing\n"
    "  upgrade   install the update (开始升级)\n"
    "  restore   put the original files back (复原)\n"
    "\n"
    "  --game DIR  the game folder (the one holding Vantor.exe)\n"
    "  --help      show this text\n"
    "  --version   show the version\n"
    "\n"
    "A failed command says why on standard error, one \"reason:\" line each.\n"
    "\n"
    "Exit status: 0 done, 1 the command failed (or its messages could not be\n"
    "written), 2 usage error or not a usable game folder.\n";

struct parsed_command {
  std::string command;
  std::optional<std::string> game_folder;
  bool help = false;
  bool version = false;
};

std::optional<parsed_command> parse(std::span<char* const> arguments, std::string& error) {
  parsed_command parsed;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string_view word = arguments[i];
    if (word == "--help" || word == "-h") {
      parsed.help = true;
    } else if (word == "--version") {
      parsed.version = true;
    } else if (word == "--game" || word.starts_with("--game=")) {
      if (parsed.game_folder) {
        error = "--game given twice";
        return std::nullopt;
      }
      if (word == "--game") {
        if (i + 1 >= arguments.size()) {
          error = "--game needs a folder";
          return std::nullopt;
        }
        parsed.game_folder = arguments[++i];
      } else {
        parsed.game_folder = std::string(word.substr(7));
      }
      if (parsed.game_folder->empty()) {
        error = "--game needs a folder";
        return std::nullopt;
      }
    } else if (word.starts_with("-")) {
      error = "unknown option " + printable(word);
      return std::nullopt;
    } else if (!parsed.command.empty()) {
      error = "more than one command";
      return std::nullopt;
    } else if (word == "status" || word == "upgrade" || word == "restore") {
      parsed.command = word;
    } else {
      error = "unknown command " + printable(word);
      return std::nullopt;
    }
  }
  if (parsed.command.empty() && !parsed.help && !parsed.version) {
    error = "no command given";
    return std::nullopt;
  }
  return parsed;
}

// Text to a standard stream, UTF-8 everywhere (wide on a Windows console).
void say(std::FILE* stream, const std::string& text) { platform::write_text(stream, text); }

std::string usage_for(std::string_view program) {
  const std::string_view usage = usage_text;
  const auto slot = usage.find("%s");
  return std::string(usage.substr(0, slot)) + std::string(program) + std::string(usage.substr(slot + 2));
}

}  // namespace

int run_patch_command(std::span<char* const> arguments, const stock_identity& identity, std::FILE* out, std::FILE* err,
                      patch_build build) {
  const char* program = arguments.empty() ? "vantor-patch" : arguments[0];
  std::string error;
  const auto parsed = parse(arguments, error);
  if (!parsed) {
    say(err, std::string(program) + ": " + error + "\n\n" + usage_for(program));
    return patch_usage_error;
  }
  if (parsed->help) {
    say(out, usage_for(program));
    return patch_succeeded;
  }
  if (parsed->version) {
    say(out, build == patch_build::demo ? std::string("vantor-patch-demo ") + VANTOR_VERSION + " (demo)\n"
                                        : std::string("vantor-patch ") + VANTOR_VERSION + "\n");
    return patch_succeeded;
  }

  if (parsed->game_folder)
    fix_run_folder(*parsed->game_folder);
  else
    fix_run_folder();

  const text game_folder = get_run_folder();
  if (const status usable = check_folder(game_folder); !usable) {
    say(err, std::string(program) + ": the game folder cannot be used: " + describe(usable.error(), {}) + "\n");
    return patch_usage_error;
  }

  console_progress progress(err, platform::is_terminal(err));
  console_messages console(out, &progress);
  patch_session session(session_ports{console, nullptr, nullptr, &progress}, identity);
  if (!session.start_session(game_folder)) return patch_usage_error;

  int result = patch_succeeded;
  if (parsed->command == "status") {
    const game_status found = read_status(session);
    for (const auto& line : describe_status(found)) say(out, line + "\n");
    if (!found.unwritable.empty()) say(out, "hint: " + std::string(rights_hint()) + "\n");
  } else if (parsed->command == "upgrade") {
    result = session.on_upgrade_clicked() ? patch_succeeded : patch_failed;
  } else {
    result = session.on_restore_clicked() ? patch_succeeded : patch_failed;
  }
  progress.clear();
  // After the messages, why it failed: one line per reason.
  for (const failure& why : session.reasons()) say(err, "reason: " + describe(why, game_folder) + "\n");
  // A write refused for want of rights: what the player can do about it.
  if (!session.reasons().empty() && game_folder_refuses(session.reasons().back(), game_folder)) {
    say(err, "reason: " + std::string(rights_hint()) + "\n");
  }
  session.release_session();

  // A player who cannot read the outcome has not been told it.
  if (std::fflush(out) != 0 || std::ferror(out)) {
    say(err, std::string(program) + ": cannot write to standard output\n");
    return result == patch_succeeded ? patch_failed : result;
  }
  return result;
}

}  // namespace vantor
