#include "services/staged_folder.h"

#include <algorithm>
#include <utility>

#include "platform/files.h"
#include "services/staged_file.h"

namespace vantor {

outcome<staged_folder> staged_folder::begin(std::string_view target) {
  if (target.empty()) return failure{os_error::not_found, {}};
  // Resolved, so a target that differs only in letter case is seen, and the
  // temporary folder lies beside it.
  std::string resolved = platform::resolve_path(target);
  if (platform::kind_of(resolved) != platform::entry_kind::none) return failure{os_error::exists, resolved};
  std::string temporary = resolved + std::string(temporary_suffix);
  if (platform::kind_of(temporary) != platform::entry_kind::none) {
    if (status removed = remove_folder_tree(temporary); !removed) return removed.error();
  }
  if (status made = platform::create_folder(temporary, platform::path_lookup::exact); !made) return made.error();
  staged_folder staged(std::move(resolved), std::move(temporary));  // from here on it removes the folder
  auto held = platform::held_folder::open(staged.temporary_);
  if (!held) return held.error();
  staged.held_ = std::make_unique<platform::held_folder>(std::move(*held));
  return staged;
}

staged_folder::staged_folder(std::string target, std::string temporary)
    : staged_entry(std::move(target), std::move(temporary), remove_folder_tree),
      flusher_(std::make_unique<platform::tree_flusher>(temporary_)) {}

namespace {

bool same_name(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

bool staged_folder::holds_file_named(std::string_view name) const {
  for (const auto& found : platform::list_folder(temporary_))
    if (same_name(found, name)) return true;
  return false;
}

status staged_folder::put_file(std::string_view name, byte_view bytes) {
  if (!pending_) return failure{os_error::not_found, temporary_};
  // A file of that name, letter case aside, is replaced.
  std::string existing;
  for (const auto& found : platform::list_folder(temporary_))
    if (same_name(found, name)) existing = found;
  auto out = existing.empty() ? held_->create_file(name) : held_->rewrite_file(existing);
  if (!out) return out.error();
  if (!bytes.empty()) {
    if (status written = out->write(bytes.data(), bytes.size()); !written) return written;
  }
  if (status closed = out->close(); !closed) return closed;
  flusher_->file_done(out->path());
  return {};
}

status staged_folder::flush() {
  if (!pending_) return failure{os_error::not_found, temporary_};
  return flusher_->finish();
}

status staged_folder::commit() {
  if (!pending_) return staged_entry::commit();
  if (!held_->is_at(temporary_)) {
    held_->release();
    discard();
    return failure{os_error::not_a_folder, temporary_};
  }
  held_->release();  // a held folder cannot be renamed on Windows
  return staged_entry::commit();
}

status staged_folder::withdraw() {
  if (!in_place_) return {};
  if (status renamed = platform::rename_over(target_, temporary_); !renamed) return renamed;
  in_place_ = false;
  status flushed = platform::flush_folder(platform::parent_folder(target_));
  status removed = remove_folder_tree(temporary_);
  if (!flushed) return flushed;
  return removed;
}

bool has_stale_temporary_folder(std::string_view target) {
  const std::string temporary = platform::resolve_path(target) + std::string(temporary_suffix);
  return platform::kind_of(temporary) != platform::entry_kind::none;
}

void remove_stale_temporary_folder(std::string_view target) {
  if (has_stale_temporary_folder(target))
    (void)remove_folder_tree(platform::resolve_path(target) + std::string(temporary_suffix));
}

status remove_folder_tree(std::string_view path) {
  if (path.empty()) return failure{os_error::not_found, {}};
  const std::string resolved = platform::resolve_path(path);
  if (platform::kind_of(resolved) == platform::entry_kind::none) return {};
  // A link is removed itself, a folder with everything in it.
  return platform::remove_entry(resolved);
}

}  // namespace vantor
