#pragma once
// The old file a replacement takes the place of, kept aside until the
// command that replaces it has succeeded, so that a failed command puts it
// back by one rename: no space is needed and the file itself comes back,
// with its identity, its other names (hard links), its owner, times,
// permissions and attributes.

#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/outcome.h"

namespace vantor {

/// The name beside a file under which the old file is kept aside.
inline constexpr std::string_view kept_suffix = ".vantor-old";

class kept_file {
 public:
  /// Keeps what stands at target aside, at target + kept_suffix (whatever
  /// an earlier run left at that name goes first): a regular file by a
  /// second name for it (a hard link), so the target stays as it is until
  /// its replacement is renamed over it; a link, or a file where the file
  /// system has no hard links, by renaming it aside, so the target is empty
  /// until then. Nothing there keeps nothing. A folder or anything else
  /// there is not_a_file: it could not be put back by a rename. A file
  /// another program holds so that it may not be replaced (Windows) is
  /// in_use, and nothing is made.
  static outcome<kept_file> keep(std::string_view target);

  /// Puts the old entry back, whether its replacement was renamed in or not
  /// (then only a name aside goes); when there was none, takes away what
  /// the replacement put there. One rename (or removal) each, and the
  /// folder flushed.
  status put_back(bool replaced) const;
  /// The replacement stays: the old entry's name aside goes.
  status drop() const;

  const std::string& target_path() const { return target_; }
  const std::string& kept_path() const { return kept_; }

 private:
  enum class how { nothing, linked, moved };
  kept_file(std::string target, std::string kept, how way)
      : target_(std::move(target)), kept_(std::move(kept)), how_(way) {}
  std::string target_;
  std::string kept_;
  how how_;
  /// A file's permissions as kept: Windows keeps its read-only attribute
  /// with the file, not with a name, and replacing clears it.
  std::optional<platform::file_permissions> permissions_;
};

}  // namespace vantor
