// The demo command-line patcher with a test hook: it kills itself with
// SIGKILL at the file operation numbered VANTOR_STOP_AT, as a crash or a
// power cut would stop it. With VANTOR_COUNT_OPERATIONS set it prints how
// many file operations it made to standard error instead. Built for the
// tests only.

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "app/cli/patch_command.h"
#include "formats/demo_bundle.h"
#include "platform/platform.h"

namespace {

class stop_hook final : public vantor::platform::fault_hook {
 public:
  explicit stop_hook(long stop_at) : stop_at_(stop_at) {}
  vantor::platform::fault before(vantor::platform::operation, std::string_view, std::string_view) override {
    if (++seen_ == stop_at_) std::raise(SIGKILL);
    return {};
  }
  long seen() const { return seen_; }

 private:
  long stop_at_;
  long seen_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const char* stop_at = std::getenv("VANTOR_STOP_AT");
  stop_hook hook(stop_at ? std::atol(stop_at) : 0);
  vantor::platform::set_fault_hook(&hook);
  const int status =
      vantor::run_patch_command({argv, static_cast<std::size_t>(argc)}, vantor::demo_stock_identity, stdout, stderr);
  if (std::getenv("VANTOR_COUNT_OPERATIONS")) std::fprintf(stderr, "operations: %ld\n", hook.seen());
  vantor::platform::set_fault_hook(nullptr);
  return status;
}
