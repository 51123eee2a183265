// A stand-in for one of Kelmora's own programs in the end-to-end tests: placed
// in the install folder, it shows a window and holds the files named on its
// command line open without sharing, as the real program holds a pupil's work.
// Asked to close (WM_CLOSE), it first writes its unsaved work into the first
// file, then lets go of them all and ends. Once everything is open and its
// window is up, it writes C:\standin-ready.txt for the test to wait on,
// holding its process id and start as RemoveKM's /closeinsession names a
// program ("ID:HIGH:LOW").
//
// Usage: standin.exe FILE...
#include <windows.h>

#include <cstring>
#include <vector>

namespace {

const char kUnsavedWork[] = "level=3 (saved when closed)\n";
std::vector<HANDLE> held_files;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CLOSE) {
    if (!held_files.empty()) {
      DWORD written = 0;
      SetFilePointer(held_files[0], 0, NULL, FILE_END);
      WriteFile(held_files[0], kUnsavedWork, sizeof kUnsavedWork - 1, &written, NULL);
    }
    for (HANDLE file : held_files) CloseHandle(file);
    held_files.clear();
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    HANDLE file = CreateFileA(argv[i], GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return 2;
    held_files.push_back(file);
  }
  WNDCLASSA window_class = {};
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = GetModuleHandleA(NULL);
  window_class.lpszClassName = "KelmoraStandIn";
  RegisterClassA(&window_class);
  HWND window = CreateWindowA("KelmoraStandIn", "Kelmora", WS_OVERLAPPEDWINDOW, 40, 40, 320, 200,
                              NULL, NULL, window_class.hInstance, NULL);
  if (window == NULL) return 3;
  ShowWindow(window, SW_SHOW);
  FILETIME started, ended, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &started, &ended, &kernel, &user);
  char named[64];
  const int length = wsprintfA(named, "%lu:%lu:%lu", GetCurrentProcessId(), started.dwHighDateTime,
                               started.dwLowDateTime);
  HANDLE ready = CreateFileA("C:\\standin-ready.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, NULL);
  DWORD written = 0;
  WriteFile(ready, named, static_cast<DWORD>(length), &written, NULL);
  CloseHandle(ready);
  MSG message;
  while (GetMessageA(&message, NULL, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
