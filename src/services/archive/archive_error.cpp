#include "services/archive/archive_error.h"

namespace vantor {

namespace {

std::string_view archive_words(archive_error kind) {
  switch (kind) {
    case archive_error::no_such_entry:
      return "has no such entry";
    case archive_error::bad_time_stamp:
      return "has a time stamp that names no date";
    case archive_error::unsafe_name:
      return "is an entry whose name is unsafe or that Windows cannot hold";
    case archive_error::name_not_gbk:
      return "has a name that GBK cannot hold so that it reads back the same (rename it)";
    case archive_error::damaged:
      break;
  }
  return "is damaged";
}

}  // namespace

const failure_category& category_of(archive_error) {
  static const worded_category<archive_error, archive_words> category("archive");
  return category;
}

}  // namespace vantor
