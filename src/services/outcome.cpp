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
      return "has a name this system refuses";
    case failure_kind::too_large:
      return "is too large";
    case failure_kind::missing_or_empty:
      return "is missing or empty";
    case failure_kind::too_short:
      return "is too short";
    case failure_kind::modified:
      return "is not the stock bundle (it was modified)";
    case failure_kind::damaged:
      return "is damaged";
    case failure_kind::other:
      return "cannot be read or written";
  }
  return "cannot be read or written";
}

}  // namespace vantor
