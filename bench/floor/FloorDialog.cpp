// The floor of RemoveKM's start-up: shows the main dialog's template, built
// from the same resource script, and does nothing else. OK or Cancel ends it.
//
// To measure what loading a DLL at start costs, the environment variable
// BENCH_PRELOAD may name DLLs (separated by blanks) that are loaded first, as
// the program's imports would be.
#include <windows.h>

#include <cstring>

#include "resource.h"

namespace {

INT_PTR CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(window, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

void PreloadLibraries() {
  char names[512] = "";
  DWORD length = GetEnvironmentVariableA("BENCH_PRELOAD", names, sizeof names);
  if (length == 0 || length >= sizeof names) return;
  for (char* name = strtok(names, " "); name; name = strtok(NULL, " ")) LoadLibraryA(name);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  PreloadLibraries();
  DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_REMOVER_DIALOG), NULL, MainProc, 0);
  return 0;
}
