#include "services/archive/archive_error.h"

namespace vantor {

namespace {

class archive_category final : public failure_category {
 public:
  std::string_view name() const override { return "archive"; }
  std::string_view describe(int value) const override {
    switch (static_cast<archive_error>(value)) {
      case archive_error::no_such_entry:
        return "has no such entry";
      case archive_error::bad_time_stamp:
        return "has a time stamp that names no date";
      case archive_error::unsafe_name:
        return "is an entry whose name is unsafe or that Windows cannot hold";
      case archive_error::damaged:
        break;
    }
    return "is damaged";
  }
};

}  // namespace

const failure_category& category_of(archive_error) {
  static const archive_category category;
  return category;
}

}  // namespace vantor
