#include "services/archive.h"

#include "platform/platform.h"
#include "services/archive_paths.h"
#include "services/archive_progress.h"
#include "services/archive_reader.h"

namespace vantor {

namespace {

// Where an entry may land: its name is safe and no part of its path below
// the target folder is a symbolic link.
bool may_write_entry(const archive_entry& entry, std::string_view target_folder, std::string_view path) {
  return !entry.name_cut && is_safe_entry_name(entry.name) && !passes_through_link(target_folder, path);
}

// Extracts one entry; false when it cannot be (the extraction ends with 0).
bool extract_one(archive_reader* reader, const archive_entry& entry, std::string_view target_folder,
                 const std::string& path) {
  if (!may_write_entry(entry, target_folder, path)) return false;
  if (entry.is_folder()) return path_exists(path) || create_folder_path(path);
  // A read-only file already there is replaced, and the new file never keeps
  // the read-only flag the archive stored.
  platform::set_writable(path, true);
  if (extract_entry_to_file(reader, entry.index, path) != archive_code::ok) return false;
  platform::set_writable(path, true);
  return true;
}

}  // namespace

std::int32_t extract_archive(const archive_component* component, std::string_view archive_path,
                             std::string_view target_folder) {
  if (archive_path.empty() || target_folder.empty()) return -1;

  extraction_state state;
  state.owner = component;
  state.observer = report_to_component;
  archive_handle archive;

  // Every ending but the first goes out here: a last report, then the
  // observer and the totals are dropped and the archive is closed.
  const auto finish = [&state, &archive](std::int32_t result) {
    state.entries_done = state.entries_total;
    state.report();
    state.observer = nullptr;
    state.entries_total = state.entries_done = 0;
    close_archive(archive);
    return result;
  };

  if (!path_exists(archive_path)) return finish(-1);
  if (!path_exists(target_folder) && !create_folder_path(target_folder)) return finish(0);
  if (!check_zip_signature(archive_path)) return finish(0);
  archive = open_archive(archive_path);
  if (!archive) return finish(0);
  state.entries_total = count_archive_entries(archive.get());
  if (state.entries_total == -1) {
    state.entries_total = 0;
    return finish(0);
  }

  for (std::int32_t i = 0;; ++i) {
    archive_entry entry;
    if (get_archive_entry(archive.get(), i, entry) != archive_code::ok) return finish(1);
    const std::string path = entry_output_path(target_folder, entry.name);
    if (!extract_one(archive.get(), entry, target_folder, path)) return finish(0);
    state.entries_done = i;
    state.current_path = path;
    state.report();
    if (state.stop_requested) {
      close_archive(archive);
      return 1;
    }
  }
}

}  // namespace vantor
