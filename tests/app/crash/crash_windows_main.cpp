// The command-line patcher for the test game folders, with a test hook: at
// the file operation numbered VANTOR_STOP_AT it ends its own process with
// TerminateProcess, as a crash or a power cut would stop it. With
// VANTOR_COUNT_OPERATIONS set it prints how many file operations it made to
// standard error instead. Built for the Windows tests only.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/cli/patch_command.h"
#include "platform/platform.h"
#include "support/game_folder.h"

namespace {

class stop_hook final : public vantor::platform::fault_hook {
 public:
  explicit stop_hook(long stop_at) : stop_at_(stop_at) {}
  vantor::platform::fault before(vantor::platform::operation, std::string_view, std::string_view) override {
    if (++seen_ == stop_at_) ::TerminateProcess(::GetCurrentProcess(), 9);
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
  std::vector<std::string> words = vantor::platform::command_line_arguments(argc, argv);
  std::vector<char*> arguments;
  for (auto& word : words) arguments.push_back(word.data());
  const int status = vantor::run_patch_command(arguments, vantor::testing::small_stock().identity(), stdout, stderr);
  if (std::getenv("VANTOR_COUNT_OPERATIONS")) std::fprintf(stderr, "operations: %ld\n", hook.seen());
  vantor::platform::set_fault_hook(nullptr);
  return status;
}
