#include "workflow/refusal.h"

namespace vantor {

namespace {

std::string_view refusal_words(refusal kind) {
  switch (kind) {
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

}  // namespace

const failure_category& category_of(refusal) {
  static const worded_category<refusal, refusal_words> category("refusal");
  return category;
}

}  // namespace vantor
