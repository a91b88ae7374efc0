#pragma once
// Extracting a ZIP archive into a folder (the model package), on minizip.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vantor {

/// The archive component of the window: it raises a progress event during an
/// extraction. A handler may return false to ask for the extraction to stop.
class archive_component {
 public:
  /// Receives the percentage done; returning false asks to stop, returning
  /// nothing (or true) lets the extraction go on.
  using progress_handler = std::function<std::optional<bool>(std::int32_t percentage)>;

  void set_progress_handler(progress_handler handler) { handler_ = std::move(handler); }
  /// Whether the component (its window) still exists; the window clears it
  /// when it is destroyed.
  bool exists() const { return exists_; }
  void set_exists(bool exists) { exists_ = exists; }
  /// Raises the progress event; what the handler returned, if anything.
  std::optional<bool> raise_progress(std::int32_t percentage) const {
    return handler_ ? handler_(percentage) : std::nullopt;
  }

 private:
  progress_handler handler_;
  bool exists_ = true;
};

/// Extracts every entry of the ZIP file at archive_path under target_folder.
/// 1 when the entries were walked to their end (or the extraction was stopped
/// on request), 0 for a failure after the archive was found, -1 when a path
/// is empty or nothing exists at archive_path. component may be null.
///
/// The target folder is created first; folders and files made stay whatever
/// the result. The entries are taken in directory order, and the walk ends
/// with 1 at the first entry whose information cannot be read, or with 0 at
/// the first that cannot be extracted. An entry whose name could land
/// outside the target folder (absolute, drive or UNC prefix, "..", a ":", a
/// zero byte or control character) or whose path below the target folder
/// passes a symbolic link counts as one that cannot be extracted: nothing of
/// it is written. Link entries are written as plain files holding the link
/// text. Extracted files never keep a read-only flag from the archive.
std::int32_t extract_archive(const archive_component* component, std::string_view archive_path,
                             std::string_view target_folder);

}  // namespace vantor
