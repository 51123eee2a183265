#include "removal/SpecialFolder.h"

CString SpecialFolder(int csidl) {
  char path[MAX_PATH] = {0};
  if (!SHGetSpecialFolderPathA(NULL, path, csidl, FALSE)) return "";
  return path;
}

CWidePath ShellFolder(int csidl) {
  WCHAR path[MAX_PATH] = {0};
  if (!SHGetSpecialFolderPathW(NULL, path, csidl, FALSE)) return CWidePath();
  return CWidePath(path);
}
