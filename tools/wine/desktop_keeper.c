/* Keeps the Wine session's desktop up while the session lasts: one hidden
 * window and a message loop, nothing else. Wine closes the desktop (its
 * explorer.exe) a second after the last program with a window has ended,
 * and the next window program starts it again, handing it its own standard
 * output: a test's pipe, which ctest (or a test reading a program's output)
 * then waits on until that explorer.exe ends. tools/wine/session.sh builds
 * this with MinGW-w64 and starts it with nothing attached:
 *   desktop-keeper.exe READY_FILE
 * It writes the (empty) READY_FILE once its window, and so the desktop, is
 * there. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
  WNDCLASSA type = {0};
  MSG message;
  HANDLE ready;
  (void)previous;
  (void)show;
  type.lpfnWndProc = DefWindowProcA;
  type.hInstance = instance;
  type.lpszClassName = "VantorDesktopKeeper";
  if (!RegisterClassA(&type)) return 1;
  /* Never shown: it takes no focus and covers nothing. */
  if (!CreateWindowExA(0, type.lpszClassName, "", WS_OVERLAPPED, 0, 0, 1, 1, NULL, NULL, instance, NULL)) return 1;
  ready = CreateFileA(command_line, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
  while (GetMessageA(&message, NULL, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
