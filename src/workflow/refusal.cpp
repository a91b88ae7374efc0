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
    case refusal::not_put_back:
      return "could not be put back as it was; the old file waits beside it (.vantor-old) and the next upgrade or "
             "restore puts it back";
  }
  return "was refused";
}

}  // namespace

const failure_category& category_of(refusal) {
  static const worded_category<refusal, refusal_words> category("refusal");
  return category;
}

}  // namespace vantor
