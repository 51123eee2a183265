#include <cstring>

#include "app/RemoverDlg.h"
#include "removal/PathExists.h"

namespace {

// The shell can report success and leave the folder (a path with a trailing
// separator, for one), so success is only believed once the folder is gone.
bool IsGone(const CString& path) {
  return GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES && IsNotFoundError(GetLastError());
}

}  // namespace

bool CRemoverDlg::ShellDeleteFolder(CString path) {
  const int length = path.GetLength();
  // The shell takes a list of paths ended by two NULs; a path that is too
  // long for the system is refused rather than cut short.
  if (length < MAX_PATH) {
    char list[MAX_PATH + 1] = {0};
    memcpy(list, (LPCSTR)path, length);

    SHFILEOPSTRUCTA operation;
    memset(&operation, 0, sizeof operation);
    operation.hwnd = m_hWnd;
    operation.wFunc = FO_DELETE;
    operation.pFrom = list;
    operation.pTo = NULL;
    // No error dialog, no question, no progress; into the Recycle Bin.
    operation.fFlags = FOF_NOERRORUI | FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT;
    if (SHFileOperationA(&operation) == 0 && IsGone(path)) return true;
  }
  AskUser("Could not delete: " + path, "Error", MB_OK);
  return false;
}
