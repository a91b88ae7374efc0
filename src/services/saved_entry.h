#pragma once
// What stood at a path before the program replaced it, kept whole so that a
// failed command can put it back exactly.

#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/outcome.h"
#include "services/bytes.h"

namespace vantor {

class saved_entry {
 public:
  /// Reads what is at the path: nothing, a regular file (its bytes and
  /// permissions) or a symbolic link (the link itself, wherever it points,
  /// even nowhere). Fails when a file cannot be read whole or a link's text
  /// cannot be read; anything else there (a folder, a pipe) is not_a_file.
  static outcome<saved_entry> take(std::string_view path);
  /// Saves nothing: put_back() removes whatever is at the path.
  static saved_entry nothing_at(std::string_view path);

  /// Puts the entry back in one rename: the file with its bytes and
  /// permissions, the link as a link (never its target), or no entry at all.
  status put_back() const;

  bool was_empty() const { return kind_ == kind::none; }

 private:
  enum class kind { none, file, link };
  saved_entry(std::string path, kind what) : path_(std::move(path)), kind_(what) {}
  std::string path_;
  kind kind_;
  byte_string bytes_;                       ///< a file's contents
  platform::file_permissions permissions_;  ///< a file's permissions
  std::string link_text_;                   ///< where a link points
};

}  // namespace vantor
