/* Reads the next message box a program shows, as the player would read it,
 * and answers it with OK: waits up to SECONDS for a top-level window titled
 * 信息：, prints the text of its Static child as one UTF-8 line on standard
 * output and presses OK. Exits 0 when it answered a box, 1 when none came.
 * tools/dist/check-release.sh builds it with MinGW-w64 and runs it in the
 * Wine session, beside the program it watches:
 *   message-box-reader.exe [SECONDS] */
#include <stdlib.h>
#include <windows.h>

static HWND found_box;

static BOOL CALLBACK find_box(HWND window, LPARAM unused) {
  wchar_t title[64];
  (void)unused;
  if (!IsWindowVisible(window)) return TRUE;
  if (GetWindowTextW(window, title, 64) == 0) return TRUE;
  if (lstrcmpW(title, L"\x4fe1\x606f\xff1a") != 0) return TRUE; /* 信息： */
  found_box = window;
  return FALSE;
}

static wchar_t box_text[4096];

static BOOL CALLBACK find_text(HWND child, LPARAM unused) {
  wchar_t type[32];
  (void)unused;
  GetClassNameW(child, type, 32);
  if (lstrcmpiW(type, L"Static") != 0) return TRUE;
  if (GetWindowTextW(child, box_text, 4096) == 0) return TRUE;
  return FALSE;
}

int main(int argc, char** argv) {
  DWORD limit_ms = (DWORD)(argc > 1 ? atoi(argv[1]) : 30) * 1000;
  DWORD waited = 0;
  char utf8[16384];
  int length;
  DWORD written;
  while (!found_box) {
    EnumWindows(find_box, 0);
    if (found_box) break;
    if (waited >= limit_ms) return 1;
    Sleep(100);
    waited += 100;
  }
  /* The box draws its text once it is shown: give it a moment. */
  Sleep(200);
  EnumChildWindows(found_box, find_text, 0);
  length = WideCharToMultiByte(CP_UTF8, 0, box_text, -1, utf8, sizeof utf8 - 1, NULL, NULL);
  if (length <= 0) length = 1;
  utf8[length - 1] = '\n';
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8, (DWORD)length, &written, NULL);
  PostMessageW(found_box, WM_COMMAND, IDOK, 0);
  return 0;
}
