#include "removal/held/OwnFiles.h"

#include <cstring>

#include "location/NewerWindowsCalls.h"
#include "removal/restart/TrustedFolders.h"

namespace {

// What is made or opened in it relative to the handle needs no more.
const ACCESS_MASK kFolderAccess =
    FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_READ_ATTRIBUTES | READ_CONTROL;
// "\\?\C:": a drive's root needs its separator, or the volume is opened.
const int kExtendedDrive = 6;
// Longer final paths are not told apart: the file is not taken.
const DWORD kFinalSize = 1024;

WCHAR Lower(WCHAR letter) { return letter >= L'A' && letter <= L'Z' ? letter + 32 : letter; }

}  // namespace

bool HoldTrustedFolderOf(const CWidePath& file, CHeldEntry& folder, CWidePath& name) {
  CWidePath path = file;
  if (!path.Extend()) return false;
  CWidePath parent = path.Parent();
  name = path.Name();
  if (parent.GetLength() == kExtendedDrive) parent.Append(L"\\", 1);
  // Judged from the root down, no name on the way can change afterwards.
  return !name.IsEmpty() && OnlyTrustedAbove(path, 0) && folder.Open(parent, kFolderAccess) &&
         folder.IsFolder();
}

bool LiesAtName(const CHeldEntry& folder, const CHeldEntry& file, const CWidePath& name) {
  WCHAR above[kFinalSize], reached[kFinalSize];
  const DWORD length = FinalPathName(folder.Handle(), above, kFinalSize);
  if (length == 0 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) return true;
  if (length == 0 || length >= kFinalSize) return false;
  // A drive's root ends in its separator already.
  const DWORD start = above[length - 1] == L'\\' ? length : length + 1;
  if (FinalPathName(file.Handle(), reached, kFinalSize) != start + name.GetLength() ||
      memcmp(reached, above, length * sizeof(WCHAR)) != 0 || reached[start - 1] != L'\\')
    return false;
  for (int i = 0; i < name.GetLength(); ++i)
    if (Lower(reached[start + i]) != Lower(name[i])) return false;
  return true;
}

CWidePath WindowsLogs() {
  char windows[MAX_PATH] = "";
  const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) windows[0] = '\0';
  const CString logs = CString(windows) + "\\Logs";
  // By name: only administrators may change the Windows folder.
  CreateDirectoryA(logs, NULL);
  return CWidePath(logs);
}
