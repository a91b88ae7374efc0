#include "services/file_error.h"

namespace vantor {

namespace {

std::string_view file_words(file_error kind) { return kind == file_error::too_short ? "is too short" : "is too large"; }

}  // namespace

const failure_category& category_of(file_error) {
  static const worded_category<file_error, file_words> category("file");
  return category;
}

}  // namespace vantor
