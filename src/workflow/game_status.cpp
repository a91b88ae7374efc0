#include "workflow/game_status.h"

#include "formats/game_layout.h"
#include "formats/package_frames.h"
#include "platform/system_error.h"
#include "services/files.h"
#include "services/kept_file.h"
#include "services/staged_file.h"
#include "services/staged_folder.h"
#include "services/texts.h"
#include "workflow/leftovers.h"

namespace vantor {

namespace {

bundle_state state_of(std::string_view path, const stock_identity& identity, bundle_inspection& found) {
  const entry_type type = entry_type_of(path);
  if (type == entry_type::none) return bundle_state::missing;
  // A link is read through, as the commands read it (they replace the link
  // itself, never its target); a folder or anything else is no bundle.
  if (type != entry_type::file && type != entry_type::link) return bundle_state::not_a_file;
  found = inspect_bundle(path, identity);
  switch (found.kind) {
    case bundle_kind::missing:
      return bundle_state::missing;
    case bundle_kind::stock:
      return bundle_state::stock;
    case bundle_kind::upgraded:
      return bundle_state::upgraded;
    case bundle_kind::modified:
      break;
  }
  if (!found.unread) return bundle_state::modified;
  if (found.unread->kind == os_error::not_a_file) return bundle_state::not_a_file;
  return bundle_state::unreadable;  // it may well be the stock bundle: say why it could not be read
}

const char* bundle_words(bundle_state state) {
  switch (state) {
    case bundle_state::missing:
      return "missing";
    case bundle_state::stock:
      return "stock";
    case bundle_state::upgraded:
      return "upgraded";
    case bundle_state::modified:
      return "modified (not the stock bundle)";
    case bundle_state::not_a_file:
      return "not a regular file";
    case bundle_state::unreadable:
      return "cannot be read";
  }
  return "";
}

// Why a bundle could not be read, in a few words.
std::string unread_words(const failure& why) {
  if (why.kind == os_error::no_permission) return "permission denied";
  if (why.kind == os_error::in_use) return "in use by another program";
  if (why.kind == os_error::io_error) return "input/output error";
  return describe(failure{why.kind, {}, why.native_code}, {});
}

// Why the model package cannot be opened, as the upgrade's reason says it.
std::string package_words(const failure& why) {
  if (why.kind == os_error::not_a_file) return "is not a regular file";
  if (why.kind == os_error::not_found) return "is a link to nothing";
  return "cannot be read (" + unread_words(why) + ")";
}

// A bundle's line: its state, and for one that cannot be read, why.
std::string bundle_line(std::string_view name, bundle_state state, const std::optional<failure>& unread) {
  std::string line = std::string(name) + ": " + bundle_words(state);
  if (state == bundle_state::unreadable && unread) line += " (" + unread_words(*unread) + ")";
  return line;
}

const char* model_words(model_state state) {
  switch (state) {
    case model_state::present:
      return "present";
    case model_state::present_through_link:
      return "present (a link to a folder)";
    case model_state::not_a_folder:
      return "not a folder";
    case model_state::missing_with_package:
      return "missing (pmodel.pak will be unpacked)";
    case model_state::missing_package_unusable:  // why, from the package's failure
    case model_state::missing:
      return "missing";
  }
  return "";
}

}  // namespace

game_status read_status(const patch_session& session) {
  const auto& state = session.state();
  game_status status;
  status.game_folder = state.run_folder;
  const stock_identity& identity = session.identity();
  bundle_inspection live;
  status.live = state_of(state.bundle_path, identity, live);
  status.live_frame_count = live.frame_count;
  status.live_unread = live.unread;
  status.live_through_link =
      entry_type_of(state.bundle_path) == entry_type::link && status.live != bundle_state::missing;
  if (status.live == bundle_state::upgraded) {
    // An upgraded bundle holds its frames after the stock prefix: none at
    // all, or fewer than the update package's of the same count, is damaged.
    const frame_package& frames = state.new_frames;
    const std::int64_t with_frames = identity.prefix_length + frames.frame_bytes();
    if (live.size <= identity.prefix_length)
      status.live_without_frames = true;
    else if (frames.has_count && upgraded_frame_count(identity, frames.count) == live.frame_count &&
             live.size < with_frames)
      status.live_bytes_short = with_frames - live.size;
    else
      status.live_holds_package = bundle_holds_package(state.bundle_path, status.live_frame_count,
                                                       state.update_folder + text(layout::update_frames), identity);
  }
  // The backup is never read through a link: it may lead to the live bundle.
  bundle_inspection backup;
  status.backup = entry_type_of(state.backup_path) == entry_type::link ? bundle_state::not_a_file
                                                                       : state_of(state.backup_path, identity, backup);
  status.backup_unread = backup.unread;
  if (status.backup == bundle_state::upgraded) status.backup = bundle_state::modified;  // a backup is never upgraded
  const text& model_folder = state.model_folder;
  switch (entry_type_of(model_folder)) {
    case entry_type::folder:
      status.model = model_state::present;
      break;
    case entry_type::none:
      status.model = model_state::missing;
      // What the upgrade will find: a package it can open, or why not.
      if (entry_type_of(state.model_package) != entry_type::none) {
        auto package = file_reader::open(state.model_package);
        status.model = package ? model_state::missing_with_package : model_state::missing_package_unusable;
        if (!package) status.package_unread = package.error();
      }
      break;
    default:
      // A link to a folder is where the upgrade installs, as the game reads it.
      status.model = check_folder(model_folder) ? model_state::present_through_link : model_state::not_a_folder;
  }
  status.leftovers = leftovers(state);
  status.lock_in_the_way = run_lock::in_the_way(state.run_folder);
  // Where the commands make files: the run lock and the model folder's
  // unpacking, the bundle and its backup, the pose file.
  for (const text& folder : {state.run_folder, state.common_folder, model_folder}) {
    const vantor::status writable = check_writable(folder);
    if (!writable && writable.error().kind == os_error::no_permission) status.unwritable.push_back(folder);
  }
  status.frame_summary = frame_summary(state.new_frames.count, session.identity().stock_count);
  status.package_problems = session.package_problems();
  return status;
}

std::vector<std::string> describe_status(const game_status& status) {
  std::string live = bundle_line("bundle", status.live, status.live_unread);
  const std::string frame_count = "frame count " + to_text(status.live_frame_count);
  if (status.live_without_frames)
    live = "bundle: damaged (" + frame_count + ", but no frames after the stock prefix)";
  else if (status.live_bytes_short > 0)
    live = "bundle: damaged (" + frame_count + ", " + std::to_string(status.live_bytes_short) +
           " bytes short of the update package's frames)";
  else if (status.live == bundle_state::upgraded)
    live += status.live_holds_package ? " with this update package, " + frame_count
                                      : ", " + frame_count + " (not this update package)";
  if (status.live_through_link) live += " (a link to a file)";
  std::string model = std::string("model folder: ") + model_words(status.model);
  if (status.model == model_state::missing_package_unusable && status.package_unread)
    model += " (pmodel.pak " + package_words(*status.package_unread) + "; the upgrade cannot unpack it)";
  std::vector<std::string> lines = {"game folder: " + printable(status.game_folder), live,
                                    bundle_line("backup", status.backup, status.backup_unread), model};
  for (const text& leftover : status.leftovers)
    lines.push_back("leftover: " + describe(failure{os_error::exists, leftover}, status.game_folder) +
                    (leftover.ends_with(kept_suffix) ? " (an old file kept aside; the next upgrade or restore puts "
                                                       "it back or removes it)"
                                                     : " (the next upgrade or restore removes it)"));
  if (status.lock_in_the_way)
    lines.push_back("in the way: " + describe(failure{os_error::exists, *status.lock_in_the_way}, status.game_folder) +
                    " where the run lock's file goes; no upgrade or restore can run until it is removed");
  for (const text& folder : status.unwritable) {
    const std::string_view inside = path_in_folder(folder, status.game_folder);
    lines.push_back("not writable: " + (inside == folder ? std::string("the game folder") : printable(inside)) +
                    " (the upgrade and the restore write there)");
  }
  lines.push_back("update package: " + status.frame_summary);
  for (const failure& problem : status.package_problems)
    lines.push_back("update package refused: " + describe(problem, status.game_folder));
  return lines;
}

}  // namespace vantor
