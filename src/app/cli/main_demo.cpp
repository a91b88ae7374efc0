// The demo build: accepts the demo game folder's synthetic bundle.
#include "app/cli/patch_command.h"
#include "formats/demo_bundle.h"

int main(int argc, char** argv) {
  return vantor::run_patch_command({argv, static_cast<std::size_t>(argc)}, vantor::demo_stock_identity, stdout, stderr);
}
