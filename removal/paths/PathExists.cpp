#include "removal/paths/PathExists.h"

bool IsNotFoundError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_NO_MORE_FILES:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
      return true;
  }
  return false;
}

bool PathMayExist(const CWidePath& path) {
  // No folder known: the lookups below could only fail, and a failed one
  // would count as a folder that may be there.
  if (path.IsEmpty()) return false;
  WIN32_FIND_DATAW found;
  // By name, to look only: whether something is still there to report.
  const HANDLE find = FindFirstFileW(path.Text(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    FindClose(find);
    return true;
  }
  if (!IsNotFoundError(GetLastError())) return true;
  // The search finds no folder named with a trailing separator, which the
  // system otherwise accepts; a pattern is no name and is not found here.
  if (GetFileAttributesW(path.Text()) != INVALID_FILE_ATTRIBUTES) return true;
  return !IsNotFoundError(GetLastError());
}
