#include "platform/system_error.h"

namespace vantor {

namespace {

std::string_view system_words(os_error kind) {
  switch (kind) {
    case os_error::not_found:
      return "is missing";
    case os_error::exists:
      return "is in the way";
    case os_error::not_a_file:
      return "is not a regular file";
    case os_error::not_a_folder:
      return "is not a folder";
    case os_error::no_space:
      return "cannot be written: the disk is full";
    case os_error::no_permission:
      return "may not be read or written (permission denied)";
    case os_error::in_use:
      return "is in use by another program";
    case os_error::io_error:
      return "cannot be read or written (input/output error)";
    case os_error::name_refused:
      return "has a name this system cannot use (too long or invalid)";
    case os_error::busy:
      return "another run is working on this game folder";
    case os_error::other:
      break;
  }
  return "cannot be read or written";
}

}  // namespace

const failure_category& category_of(os_error) {
  static const worded_category<os_error, system_words> category("system");
  return category;
}

}  // namespace vantor
