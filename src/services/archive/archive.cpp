#include "services/archive/archive.h"

#include <limits>
#include <optional>
#include <string>

#include "platform/files.h"
#include "services/archive/archive_error.h"
#include "services/archive/archive_paths.h"
#include "services/archive/archive_reader.h"
#include "services/archive/output_tree.h"

namespace vantor {

namespace {

failure refused_name(std::string_view archive_path, std::string_view name) {
  return failure{archive_error::unsafe_name, platform::join_path(archive_path, name)};
}

// The name an entry is extracted under; none when it may not be.
std::optional<std::string> extraction_name(const archive_entry& entry) {
  std::string name = entry_name_text(entry.name, entry.name_is_utf8());
  if (entry.name_cut || !is_safe_entry_name(name)) return std::nullopt;
  return name;
}

// Reads every record once, before anything is written: the sum of the sizes
// the entries declare. Fails with damaged when a record cannot be read or
// declares no sensible size, and with unsafe_name for a name that may not
// be extracted.
outcome<std::uint64_t> survey(archive_reader* reader, std::int32_t count, std::string_view archive_path) {
  // Far more than any disk holds, and no sum of int32-many of them overflows.
  constexpr std::int64_t largest_entry = std::int64_t{1} << 48;
  const failure damaged{archive_error::damaged, std::string(archive_path)};
  std::uint64_t total = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    const outcome<archive_entry> entry = get_archive_entry(reader, i);
    if (!entry) return damaged;
    if (!extraction_name(*entry))
      return refused_name(archive_path, entry_name_text(entry->name, entry->name_is_utf8()));
    if (entry->uncompressed_size < 0 || entry->uncompressed_size > largest_entry) return damaged;
    total += static_cast<std::uint64_t>(entry->uncompressed_size);
  }
  return total;
}

class extraction {
 public:
  extraction(archive_reader* reader, std::string archive_path, output_tree& tree, std::uint64_t budget,
             platform::tree_flusher* flusher)
      : reader_(reader), archive_path_(std::move(archive_path)), tree_(tree), budget_(budget), flusher_(flusher) {}

  status extract(std::int32_t index) {
    const outcome<archive_entry> read = get_archive_entry(reader_, index);
    if (!read) return damaged(std::to_string(index));
    const archive_entry& entry = *read;
    const std::optional<std::string> checked = extraction_name(entry);
    if (!checked) return refused_name(archive_path_, entry_name_text(entry.name, entry.name_is_utf8()));
    const std::string& name = *checked;
    const std::vector<std::string_view> parts = entry_name_parts(name);

    // A folder is an entry whose name ends in a separator, as unzip and
    // every other reader take it; the folder attribute alone makes none (an
    // entry that carries it without the separator is a file, with its data).
    // Such a name with data is neither a folder nor a file.
    if (ends_in_separator(name)) {
      if (entry.uncompressed_size != 0) return damaged(name);
      return tree_.make_folder(parts);
    }
    if (parts.empty()) return refused_name(archive_path_, name);
    const auto size = static_cast<std::uint64_t>(entry.uncompressed_size);
    if (size > budget_) return damaged(name);  // more than the records declared before
    budget_ -= size;

    auto opened = tree_.open_file(parts);
    if (!opened) return opened.error();
    const std::string path = opened->path();
    if (status written = write_entry_file(reader_, entry, *opened); !written) return written;
    if (flusher_ != nullptr) flusher_->file_done(path);
    return {};
  }

 private:
  failure damaged(std::string_view name) const {
    return failure{archive_error::damaged, platform::join_path(archive_path_, name)};
  }

  archive_reader* reader_;
  std::string archive_path_;
  output_tree& tree_;
  std::uint64_t budget_;
  platform::tree_flusher* flusher_;
};

}  // namespace

status unpack_archive(std::string_view archive_path, std::string_view target_folder, const progress_callback& progress,
                      platform::tree_flusher* flusher) {
  if (archive_path.empty() || target_folder.empty()) return failure{os_error::not_found, {}};
  if (!path_exists(archive_path)) return failure{os_error::not_found, std::string(archive_path)};
  const bool created = !path_exists(target_folder);
  if (created) {
    if (status made = create_folder_path(target_folder); !made) return made;
  }
  auto target = platform::held_folder::open(target_folder);
  if (!target) return target.error();
  return unpack_archive(archive_path, *target, created, progress, flusher);
}

status unpack_archive(std::string_view archive_path, const platform::held_folder& target, bool target_is_new,
                      const progress_callback& progress, platform::tree_flusher* flusher) {
  if (archive_path.empty()) return failure{os_error::not_found, {}};
  // One that cannot be opened is not damaged: it says why (held, refused,
  // not a regular file, missing).
  auto file = platform::open_file(archive_path, platform::open_mode::read);
  if (!file) return file.error();
  const failure damaged{archive_error::damaged, file->path()};
  archive_handle archive = open_archive(std::move(*file));
  const std::int64_t count = declared_entry_count(archive.get());
  if (count < 1 || count > std::numeric_limits<std::int32_t>::max()) return damaged;
  const auto entries = static_cast<std::int32_t>(count);

  const auto total = survey(archive.get(), entries, damaged.path);
  if (!total) return total.error();
  if (has_undeclared_entries(archive.get())) return damaged;
  const auto space = platform::free_space(target.path());
  if (!space) return space.error();
  if (*total > *space) return failure{os_error::no_space, target.path()};

  auto held = target.duplicate();
  if (!held) return held.error();
  auto tree = output_tree::open(std::move(*held), target_is_new);
  if (!tree) return tree.error();
  extraction run(archive.get(), damaged.path, *tree, *total, flusher);
  for (std::int32_t i = 0; i < entries; ++i) {
    if (status done = run.extract(i); !done) return done;
    if (progress) progress(static_cast<std::uint64_t>(i) + 1, static_cast<std::uint64_t>(entries));
  }
  // Nothing was swapped for a link (or moved) meanwhile.
  return tree->check_in_place();
}

}  // namespace vantor
