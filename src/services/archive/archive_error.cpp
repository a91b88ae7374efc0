#include "services/archive/archive_error.h"

namespace vantor {

namespace {

class archive_category final : public failure_category {
 public:
  std::string_view name() const override { return "archive"; }
  std::string_view describe(int) const override { return "is damaged"; }
};

}  // namespace

const failure_category& category_of(archive_error) {
  static const archive_category category;
  return category;
}

}  // namespace vantor
