#include "services/outcome.h"

namespace vantor {

std::string_view describe(failure_kind kind) {
  switch (kind) {
    case failure_kind::not_found:
      return "is missing";
    case failure_kind::exists:
      return "is in the way";
    case failure_kind::not_a_file:
      return "is not a regular file";
    case failure_kind::no_space:
      return "cannot be written: the disk is full";
    case failure_kind::no_permission:
      return "may not be read or written (permission denied)";
    case failure_kind::in_use:
      return "is in use by another program";
    case failure_kind::io_error:
      return "cannot be read or written (input/output error)";
    case failure_kind::name_refused:
      return "has a name this system cannot use (too long or invalid)";
    case failure_kind::too_large:
      return "is too large";
    case failure_kind::missing_or_empty:
      return "is missing or empty";
    case failure_kind::too_short:
      return "is too short";
    case failure_kind::modified:
      return "is not the stock bundle (it was modified)";
    case failure_kind::bad_frame_count:
      return "holds a frame count that does not fit its frames";
    case failure_kind::busy:
      return "another run is working on this game folder";
    case failure_kind::changed:
      return "changed after the patcher read it; start the patcher again";
    case failure_kind::damaged:
      return "is damaged";
    case failure_kind::other:
      return "cannot be read or written";
  }
  return "cannot be read or written";
}

std::string describe(const failure& why, std::string_view folder) {
  std::string path = why.path;
  // Paths inside the folder are told relative to it, as the player sees them.
  if (!folder.empty() && path.size() > folder.size() && path.starts_with(folder) &&
      (path[folder.size()] == '/' || path[folder.size()] == '\\'))
    path.erase(0, folder.size() + 1);
  if (path.empty()) return std::string(describe(why.kind));
  return path + " " + std::string(describe(why.kind));
}

}  // namespace vantor
