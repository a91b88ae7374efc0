#include "app/cli/patch_command.h"

int main(int argc, char** argv) {
  return vantor::run_patch_command({argv, static_cast<std::size_t>(argc)}, vantor::game_stock_identity, stdout, stderr);
}
