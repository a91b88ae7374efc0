#include "services/archive/archive.h"

#include "platform/platform.h"
#include "services/archive/archive_paths.h"
#include "services/archive/archive_reader.h"

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
  (void)platform::set_writable(path, true);
  if (extract_entry_to_file(reader, entry.index, path) != archive_code::ok) return false;
  (void)platform::set_writable(path, true);
  return true;
}

}  // namespace

std::int32_t extract_archive(std::string_view archive_path, std::string_view target_folder) {
  if (archive_path.empty() || target_folder.empty()) return -1;
  if (!path_exists(archive_path)) return -1;
  if (!path_exists(target_folder) && !create_folder_path(target_folder)) return 0;
  if (!check_zip_signature(archive_path)) return 0;
  archive_handle archive = open_archive(archive_path);
  if (!archive) return 0;
  if (count_archive_entries(archive.get()) == -1) return 0;

  for (std::int32_t i = 0;; ++i) {
    archive_entry entry;
    if (get_archive_entry(archive.get(), i, entry) != archive_code::ok) return 1;
    const std::string path = entry_output_path(target_folder, entry.name);
    if (!extract_one(archive.get(), entry, target_folder, path)) return 0;
  }
}

}  // namespace vantor
