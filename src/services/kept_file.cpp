#include "services/kept_file.h"

#include "platform/files.h"

namespace vantor {

outcome<kept_file> kept_file::keep(std::string_view target) {
  std::string resolved = platform::resolve_path(target);
  std::string kept = resolved + std::string(kept_suffix);
  const platform::entry_kind found = platform::kind_of(resolved);
  if (found == platform::entry_kind::none) return kept_file(std::move(resolved), std::move(kept), how::nothing);
  if (found != platform::entry_kind::file && found != platform::entry_kind::link)
    return failure{os_error::not_a_file, resolved};
  if (status replaceable = platform::check_replaceable(resolved); !replaceable) return replaceable.error();
  if (platform::kind_of(kept) != platform::entry_kind::none) {
    if (status removed = platform::remove_entry(kept); !removed) return removed.error();
  }
  std::optional<platform::file_permissions> permissions;
  if (found == platform::entry_kind::file) {
    auto read = platform::permissions_of(resolved);
    if (!read) return read.error();
    permissions = *read;
  }
  if (found == platform::entry_kind::file && platform::link_file(resolved, kept)) {
    kept_file linked(std::move(resolved), std::move(kept), how::linked);
    linked.permissions_ = permissions;
    return linked;
  }
  // A link, or no hard links here: the entry itself goes aside.
  if (status moved = platform::rename_over(resolved, kept); !moved) {
    failure why = moved.error();
    why.path = resolved;  // the file the player knows
    return why;
  }
  kept_file moved(std::move(resolved), std::move(kept), how::moved);
  moved.permissions_ = permissions;
  return moved;
}

status kept_file::put_back(bool replaced) const {
  status done;
  switch (how_) {
    case how::nothing:
      if (replaced && platform::kind_of(target_) != platform::entry_kind::none) done = platform::remove_file(target_);
      break;
    case how::linked:
      if (!replaced) {
        // The target is the old file still: its second name goes when it
        // can, else stays for the next run, which removes it (it is the
        // same file, so putting it back would change nothing either).
        (void)platform::remove_file(kept_);
        // Removing a name may clear the file's read-only attribute (Windows).
        if (permissions_) (void)platform::set_permissions(target_, *permissions_);
        return {};
      }
      done = platform::rename_over(kept_, target_);
      break;
    case how::moved:
      done = platform::rename_over(kept_, target_);
      break;
  }
  if (!done) {
    failure why = done.error();
    why.path = target_;
    return why;
  }
  if (permissions_) (void)platform::set_permissions(target_, *permissions_);
  return platform::flush_folder(platform::parent_folder(target_));
}

status kept_file::drop() const {
  if (how_ == how::nothing) return {};
  return platform::remove_file(kept_);
}

}  // namespace vantor
