#include "location/SystemLibrary.h"

#include <cwchar>

namespace {

typedef BOOL(WINAPI* DirectoriesCall)(DWORD);

// The update that brought the call brought the LOAD_LIBRARY_SEARCH_ flags.
DirectoriesCall DefaultDirectories() {
  FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
  // The pointer passes through void (*)(), which any function pointer may.
  return reinterpret_cast<DirectoriesCall>(reinterpret_cast<void (*)()>(found));
}

}  // namespace

void LoadFromSystemFolderOnly() {
  if (DirectoriesCall directories = DefaultDirectories()) directories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemLibrary(LPCWSTR name) {
  if (DefaultDirectories()) return LoadLibraryExW(name, NULL, LOAD_LIBRARY_SEARCH_SYSTEM32);
  WCHAR path[MAX_PATH];
  const size_t folder = GetSystemDirectoryW(path, MAX_PATH);
  if (folder == 0 || folder + 1 + wcslen(name) >= MAX_PATH) return NULL;
  path[folder] = L'\\';
  wcscpy(path + folder + 1, name);
  return LoadLibraryExW(path, NULL, 0);
}
