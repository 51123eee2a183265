#include "removal/SpecialFolder.h"

CWidePath ShellFolder(int csidl) {
  WCHAR path[MAX_PATH] = {0};
  if (!SHGetSpecialFolderPathW(NULL, path, csidl, FALSE)) return CWidePath();
  return CWidePath(path);
}
