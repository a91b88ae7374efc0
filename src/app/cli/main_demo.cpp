// The demo build: accepts the demo game folder's synthetic bundle.
#include <string>
#include <vector>

#include "app/cli/patch_command.h"
#include "formats/demo_bundle.h"
#include "platform/process.h"

int main(int argc, char** argv) {
  // Before anything loads a DLL: none from the game folder.
  vantor::platform::load_libraries_from_system_folder_only();
  // UTF-8 arguments on every system (Windows hands them over in UTF-16).
  std::vector<std::string> words = vantor::platform::command_line_arguments(argc, argv);
  std::vector<char*> arguments;
  for (auto& word : words) arguments.push_back(word.data());
  return vantor::run_patch_command(arguments, vantor::demo_stock_identity, stdout, stderr, vantor::patch_build::demo);
}
