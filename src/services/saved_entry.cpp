#include "services/saved_entry.h"

#include "services/files.h"
#include "services/staged_entry.h"
#include "services/staged_file.h"

namespace vantor {

outcome<saved_entry> saved_entry::take(std::string_view path) {
  const std::string resolved = platform::resolve_path(path);
  switch (platform::kind_of(resolved)) {
    case platform::entry_kind::none:
      return saved_entry(resolved, kind::none);
    case platform::entry_kind::link: {
      auto link_text = platform::read_link(resolved);
      if (!link_text) return link_text.error();
      saved_entry saved(resolved, kind::link);
      saved.link_text_ = std::move(*link_text);
      return saved;
    }
    case platform::entry_kind::file: {
      auto permissions = platform::permissions_of(resolved);
      if (!permissions) return permissions.error();
      auto bytes = read_whole_file(resolved);
      if (!bytes) return bytes.error();
      saved_entry saved(resolved, kind::file);
      saved.bytes_ = std::move(*bytes);
      saved.permissions_ = *permissions;
      return saved;
    }
    default:
      return failure{os_error::not_a_file, resolved};
  }
}

saved_entry saved_entry::nothing_at(std::string_view path) {
  return saved_entry(platform::resolve_path(path), kind::none);
}

status saved_entry::put_back() const {
  switch (kind_) {
    case kind::none:
      if (platform::kind_of(path_) == platform::entry_kind::none) return {};
      return platform::remove_file(path_);
    case kind::file: {
      const byte_view pieces[] = {byte_view(bytes_)};
      auto staged = staged_file::prepare(path_, pieces);
      if (!staged) return staged.error();
      // The permissions go on after the rename: on Windows a rename leaves
      // the file it puts in place writable, read-only mark or not.
      if (status committed = staged->commit(); !committed) return committed;
      return platform::set_permissions(path_, permissions_);
    }
    case kind::link: {
      // A new link beside the path, renamed over it: the entry is the old
      // file or the old link at every moment.
      const std::string temporary = path_ + std::string(temporary_suffix);
      if (platform::kind_of(temporary) != platform::entry_kind::none) {
        if (status removed = platform::remove_entry(temporary); !removed) return removed;
      }
      if (status made = platform::make_link(link_text_, temporary); !made) return made;
      if (status renamed = platform::rename_over(temporary, path_); !renamed) {
        (void)platform::remove_file(temporary);
        return renamed;
      }
      return platform::flush_folder(platform::parent_folder(path_));
    }
  }
  return {};
}

}  // namespace vantor
