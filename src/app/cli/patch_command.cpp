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
#include "ui/picture_format.h"
#include "workflow/game_status.h"
#include "workflow/pack.h"
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
    "       %s pack --from GAME --out DIR [--cover FILE] [--description FILE]\n"
    "\n"
    "Installs the animation update in DIR/updatefile into the game in DIR, or puts\n"
    "the original animation files back. Without --game, DIR is the folder that\n"
    "holds this program.\n"
    "\n"
    "  status    show the state of the game's animation files; changes nothing\n"
    "  upgrade   install the update (开始升级)\n"
    "  restore   put the original files back (复原)\n"
    "  pack      for mod authors: make the update package (DIR/updatefile and\n"
    "            DIR/pmodel.pak) from the modded game GAME, and prove that it\n"
    "            installs GAME's files byte for byte; DIR must be missing or empty\n"
    "\n"
    "  --game DIR  the game folder (the one holding Vantor.exe)\n"
    "  --from GAME, --out DIR  the modded game and the package's folder (pack)\n"
    "  --cover FILE  the cover picture the window shows (pack)\n"
    "  --description FILE  the description, UTF-8, GBK or UTF-16 (pack)\n"
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
  std::optional<std::string> from, out, cover, description;
  bool help = false;
  bool version = false;
};

// Where an option's value goes; null for a word that is no option with a
// value.
std::optional<std::string>* option_slot(parsed_command& parsed, std::string_view word) {
  const std::string_view name = word.substr(0, word.find('='));
  if (name == "--game") return &parsed.game_folder;
  if (name == "--from") return &parsed.from;
  if (name == "--out") return &parsed.out;
  if (name == "--cover") return &parsed.cover;
  if (name == "--description") return &parsed.description;
  return nullptr;
}

std::optional<parsed_command> parse(std::span<char* const> arguments, std::string& error) {
  parsed_command parsed;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string_view word = arguments[i];
    if (word == "--help" || word == "-h") {
      parsed.help = true;
    } else if (word == "--version") {
      parsed.version = true;
    } else if (std::optional<std::string>* value = option_slot(parsed, word)) {
      const std::string name(word.substr(0, word.find('=')));
      const std::string needs =
          name + (name == "--cover" || name == "--description" ? " needs a file" : " needs a folder");
      if (*value) {
        error = name + " given twice";
        return std::nullopt;
      }
      if (word == name) {
        if (i + 1 >= arguments.size()) {
          error = needs;
          return std::nullopt;
        }
        *value = arguments[++i];
      } else {
        *value = std::string(word.substr(name.size() + 1));
      }
      if ((*value)->empty()) {
        error = needs;
        return std::nullopt;
      }
    } else if (word.starts_with("-")) {
      error = "unknown option " + printable(word);
      return std::nullopt;
    } else if (!parsed.command.empty()) {
      error = "more than one command";
      return std::nullopt;
    } else if (word == "status" || word == "upgrade" || word == "restore" || word == "pack") {
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
  const bool pack = parsed.command == "pack";
  if (pack && (!parsed.from || !parsed.out)) {
    error = "pack needs --from GAME and --out DIR";
    return std::nullopt;
  }
  if (pack ? parsed.game_folder.has_value() : (parsed.from || parsed.out || parsed.cover || parsed.description)) {
    error = pack ? "pack takes --from, not --game" : "--from, --out, --cover and --description are for pack";
    return std::nullopt;
  }
  return parsed;
}

// Text to a standard stream, UTF-8 everywhere (wide on a Windows console).
void say(std::FILE* stream, const std::string& text) { platform::write_text(stream, text); }

std::string usage_for(std::string_view program) {
  std::string usage = usage_text;
  for (auto slot = usage.find("%s"); slot != std::string::npos; slot = usage.find("%s", slot + program.size()))
    usage.replace(slot, 2, program);
  return usage;
}

bool window_shows(std::span<const std::uint8_t> bytes) { return recognise_picture(bytes) != picture_format::none; }

// pack: the package, or why not.
int run_pack(const parsed_command& parsed, const stock_identity& identity, std::FILE* out, std::FILE* err) {
  pack_request request;
  request.game_folder = *parsed.from;
  request.out_folder = *parsed.out;
  request.cover = parsed.cover;
  request.description = parsed.description;
  request.identity = identity;
  request.shows_picture = window_shows;
  const pack_result made = make_update_package(request);
  if (!made.made) {
    for (const std::string& why : made.reasons) say(err, "reason: " + why + "\n");
    return made.out_folder_in_use ? patch_usage_error : patch_failed;
  }
  say(out, "update package: " + printable(request.out_folder) + "\n");
  say(out, "new frames: " + std::to_string(made.new_frames) + ", frame numbers " + std::to_string(made.first_frame) +
               " to " + std::to_string(made.last_frame) + "\n");
  for (const packed_file& file : made.files)
    say(out, printable(file.name) + ": " + std::to_string(file.size) + " bytes\n");
  const auto counted = [](std::int32_t count, const char* what) {
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
  };
  say(out, "models: " + counted(made.model_files, "file") + " in " + counted(made.model_folders, "folder") +
               " below pmodel, the pose file among them\n");
  say(out,
      "proved: installed on a stock game it gives the modded bundle, pose file, action file and model folder byte "
      "for byte, and the restore gives the stock bundle back\n");
  return patch_succeeded;
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

  if (parsed->command == "pack") {
    const int result = run_pack(*parsed, identity, out, err);
    if (std::fflush(out) != 0 || std::ferror(out)) {
      say(err, std::string(program) + ": cannot write to standard output\n");
      return result == patch_succeeded ? patch_failed : result;
    }
    return result;
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
