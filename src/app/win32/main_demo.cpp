// vantor-patcher-demo.exe: the same program for the demo game folder's
// synthetic stock bundle.

#include <windows.h>

#include "app/win32/run_patcher_window.h"
#include "formats/demo_bundle.h"
#include "platform/process.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before anything loads a DLL: none from the game folder.
  vantor::platform::load_libraries_from_system_folder_only();
  return vantor::run_win32_patcher_window(vantor::demo_stock_identity);
}
