#include "services/file_error.h"

namespace vantor {

namespace {

class file_category final : public failure_category {
 public:
  std::string_view name() const override { return "file"; }
  std::string_view describe(int value) const override {
    return static_cast<file_error>(value) == file_error::too_short ? "is too short" : "is too large";
  }
};

}  // namespace

const failure_category& category_of(file_error) {
  static const file_category category;
  return category;
}

}  // namespace vantor
