// The demo command-line patcher that kills itself with SIGKILL at a chosen
// file operation (see stoppable_patch.h). Built for the tests only.

#include <csignal>

#include "formats/demo_bundle.h"
#include "stoppable_patch.h"

int main(int argc, char** argv) {
  return vantor::testing::run_stoppable_patch(argc, argv, vantor::demo_stock_identity, [] { std::raise(SIGKILL); });
}
