#include "workflow/refusal.h"

namespace vantor {

namespace {

class refusal_category final : public failure_category {
 public:
  std::string_view name() const override { return "refusal"; }
  std::string_view describe(int value) const override {
    switch (static_cast<refusal>(value)) {
      case refusal::missing_or_empty:
        return "is missing or empty";
      case refusal::modified:
        return "is not the stock bundle (it was modified)";
      case refusal::bad_frame_count:
        return "holds a frame count that does not fit its frames";
      case refusal::changed:
        return "changed after the patcher read it; start the patcher again";
      case refusal::read_back_differs:
        return "does not read back as it was written (input/output error)";
    }
    return "was refused";
  }
};

}  // namespace

const failure_category& category_of(refusal) {
  static const refusal_category category;
  return category;
}

}  // namespace vantor
