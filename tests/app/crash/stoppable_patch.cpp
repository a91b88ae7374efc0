#include "stoppable_patch.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/cli/patch_command.h"
#include "platform/fault_hook.h"
#include "platform/process.h"

namespace vantor::testing {

namespace {

class stop_hook final : public platform::fault_hook {
 public:
  stop_hook(long stop_at, void (*stop)()) : stop_at_(stop_at), stop_(stop) {}
  platform::fault before(platform::operation, std::string_view, std::string_view) override {
    if (++seen_ == stop_at_) stop_();
    return {};
  }
  long seen() const { return seen_; }

 private:
  long stop_at_;
  void (*stop_)();
  long seen_ = 0;
};

}  // namespace

int run_stoppable_patch(int argc, char** argv, const stock_identity& identity, void (*stop)()) {
  const char* stop_at = std::getenv("VANTOR_STOP_AT");
  stop_hook hook(stop_at ? std::atol(stop_at) : 0, stop);
  platform::set_fault_hook(&hook);
  std::vector<std::string> words = platform::command_line_arguments(argc, argv);
  std::vector<char*> arguments;
  for (auto& word : words) arguments.push_back(word.data());
  const int status = run_patch_command(arguments, identity, stdout, stderr);
  if (std::getenv("VANTOR_COUNT_OPERATIONS")) std::fprintf(stderr, "operations: %ld\n", hook.seen());
  platform::set_fault_hook(nullptr);
  return status;
}

}  // namespace vantor::testing
