// vantor-patch: the command-line patcher for the game's stock bundle.
#include <string>
#include <vector>

#include "app/cli/patch_command.h"
#include "platform/process.h"
#ifdef _WIN32
#include "platform/system_library_win32.h"
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  // Before anything loads a DLL: none from the game folder.
  vantor::platform::load_dlls_from_system_folder_only();
#endif
  // UTF-8 arguments on every system (Windows hands them over in UTF-16).
  std::vector<std::string> words = vantor::platform::command_line_arguments(argc, argv);
  std::vector<char*> arguments;
  for (auto& word : words) arguments.push_back(word.data());
  return vantor::run_patch_command(arguments, vantor::game_stock_identity, stdout, stderr);
}
