// The command-line patcher for the test game folders that ends its own
// process with TerminateProcess at a chosen file operation (see
// stoppable_patch.h). Built for the Windows tests only.

#include <windows.h>

#include "stoppable_patch.h"
#include "support/game_folder.h"

int main(int argc, char** argv) {
  return vantor::testing::run_stoppable_patch(argc, argv, vantor::testing::small_stock().identity(),
                                              [] { ::TerminateProcess(::GetCurrentProcess(), 9); });
}
