// vantor-patcher-demo.exe: the same program for the demo game folder's
// synthetic stock bundle.

#include <windows.h>

#include "app/win32/run_patcher_window.h"
#include "formats/demo_bundle.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return vantor::run_win32_patcher_window(vantor::demo_stock_identity);
}
