#include "removal/held/OwnFiles.h"

#include "removal/restart/TrustedFolders.h"

namespace {

// What is made or opened in it relative to the handle needs no more.
const ACCESS_MASK kFolderAccess =
    FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_READ_ATTRIBUTES | READ_CONTROL;
// "\\?\C:": a drive's root needs its separator, or the volume is opened.
const int kExtendedDrive = 6;

}  // namespace

bool HoldTrustedFolderOf(const CWidePath& file, CHeldEntry& folder, CWidePath& name) {
  CWidePath path = file;
  if (!path.Extend()) return false;
  CWidePath parent = path.Parent();
  name = CWidePath(path.Text() + parent.GetLength() + 1);
  if (parent.GetLength() == kExtendedDrive) parent.Append(L"\\", 1);
  // Judged from the root down, no name on the way can change afterwards.
  return !name.IsEmpty() && OnlyTrustedAbove(path, 0) && folder.Open(parent, kFolderAccess) &&
         folder.IsFolder();
}

CWidePath WindowsLogs() {
  char windows[MAX_PATH] = "";
  const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) windows[0] = '\0';
  const CString logs = CString(windows) + "\\Logs";
  CreateDirectoryA(logs, NULL);
  return CWidePath(logs);
}
