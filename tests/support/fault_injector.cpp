#include "support/fault_injector.h"

#include "support/native_path.h"

namespace vantor::testing {

fault_injector::fault_injector(predicate matches, int nth, bool once, failure_kind error, bool partial)
    : matches_(std::move(matches)), nth_(nth), once_(once), error_(error), partial_(partial) {
  platform::set_fault_hook(this);
}

fault_injector::~fault_injector() { platform::set_fault_hook(nullptr); }

platform::fault fault_injector::before(platform::operation op, std::string_view path, std::string_view) {
  ++seen_;
  if (!matches_(op, path)) return {};
  ++matched_;
  const bool fail = once_ ? matched_ == nth_ : matched_ >= nth_;
  if (!fail) return {};
  ++injected_;
  return {error_, partial_ && op == platform::operation::write};
}

fault_injector::predicate fault_injector::on(platform::operation op, std::string fragment) {
  return [op, fragment = std::move(fragment)](platform::operation seen, std::string_view path) {
    return seen == op && generic_path(path).find(fragment) != std::string::npos;
  };
}

fault_injector::predicate fault_injector::any() {
  return [](platform::operation, std::string_view) { return true; };
}

}  // namespace vantor::testing
