#include <cstring>

#include "app/RemoverDlg.h"
#include "removal/ReadyForShell.h"

namespace {

// The shell can report success and leave the folder (a path with a trailing
// separator, for one), so success is only believed once the folder is gone;
// any other answer (an invalid name, say) proves nothing.
bool IsGone(const CWidePath& path) {
  if (GetFileAttributesW(path.Text()) != INVALID_FILE_ATTRIBUTES) return false;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The shell expands wildcards in the last part of a path and deletes all that
// they match: such a path names no one folder.
bool HasWildcard(const CWidePath& path) {
  for (int i = 0; i < path.GetLength(); ++i)
    if (path[i] == L'*' || path[i] == L'?') return true;
  return false;
}

}  // namespace

bool CRemoverDlg::ShellDeleteFolder(const CWidePath& path) {
  const int length = path.GetLength();
  // The shell takes a list of paths ended by two NULs; a path that is too
  // long for the system is refused rather than cut short.
  if (length < MAX_PATH && !HasWildcard(path) && ReadyForShell(path)) {
    WCHAR list[MAX_PATH + 1] = {0};
    memcpy(list, path.Text(), length * sizeof(WCHAR));

    SHFILEOPSTRUCTW operation;
    memset(&operation, 0, sizeof operation);
    operation.hwnd = m_hWnd;
    operation.wFunc = FO_DELETE;
    operation.pFrom = list;
    operation.pTo = NULL;
    // No error dialog, no question, no progress; into the Recycle Bin.
    operation.fFlags = FOF_NOERRORUI | FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT;
    if (SHFileOperationW(&operation) == 0 && IsGone(path)) return true;
  }
  AskUser("Could not delete: " + path.Utf8(), "Error", MB_OK);
  return false;
}
