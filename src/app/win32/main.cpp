// vantor-patcher.exe: the game's own stock bundle. A Windows program: no
// console, and the game folder is the folder that holds the program, found
// through its wide module path.

#include <windows.h>

#include "app/win32/run_patcher_window.h"
#include "platform/process.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before anything loads a DLL: none from the game folder.
  vantor::platform::load_libraries_from_system_folder_only();
  return vantor::run_win32_patcher_window(vantor::game_stock_identity);
}
