#include <cstring>

#include "app/RemovalLog.h"
#include "app/RemoverDlg.h"
#include "removal/DecimalText.h"
#include "removal/paths/LinkAt.h"
#include "removal/tree/DeleteEntryByEntry.h"
#include "removal/tree/ReadyForShell.h"

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

// The shell's move into the Recycle Bin, when it can take the folder whole:
// true once it is gone.
bool ShellTakesWhole(HWND owner, const CWidePath& path) {
  const int length = path.GetLength();
  // The shell takes a list of paths ended by two NULs; a path that is too
  // long for the system is refused rather than cut short.
  if (length >= MAX_PATH || !ReadyForShell(path)) return false;
  WCHAR list[MAX_PATH + 1] = {0};
  memcpy(list, path.Text(), length * sizeof(WCHAR));

  SHFILEOPSTRUCTW operation;
  memset(&operation, 0, sizeof operation);
  operation.hwnd = owner;
  operation.wFunc = FO_DELETE;
  operation.pFrom = list;
  operation.pTo = NULL;
  // No error dialog, no question, no progress.
  operation.fFlags = FOF_NOERRORUI | FOF_NOCONFIRMATION | FOF_SILENT | FOF_ALLOWUNDO;
  return SHFileOperationW(&operation) == 0 && IsGone(path);
}

}  // namespace

bool CRemoverDlg::ShellDeleteFolder(const CWidePath& path) {
  bool deleted = false;
  DWORD waited = 0;
  if (!HasWildcard(path)) {
    // A link goes as a link: the shell (Wine's, for one) would enter it and
    // delete what it leads to. What the shell cannot take whole (a path past
    // MAX_PATH, a file held open) is deleted here as far as it goes, so that
    // only what is really held is left for the restart.
    // Unattended, nobody empties the account's Recycle Bin (SYSTEM's least of
    // all), and the shell's permanent delete walks the tree by name: a pupil's
    // empty folder made a mount point meanwhile would lead it out (Wine's and
    // Windows XP's shells follow). The program's own delete acts on handles.
    deleted = IsLinkAt(path) ? RemoveLink(path)
                             : (!m_quiet && ShellTakesWhole(m_hWnd, path)) ||
                                   DeleteEntryByEntry(path, NULL, &waited);
  }
  return TellDelete(path, deleted, waited);
}

bool CRemoverDlg::TellDelete(const CWidePath& path, bool deleted, DWORD waited) {
  // The log says what becomes of it (ReportLeft); the dialog shows it now.
  const DWORD error = GetLastError();
  if (waited && m_log)
    m_log->Line("Waited " + DecimalText(waited) + " ms for other programs to let go of what " +
                "Windows is deleting in " + path.Utf8() + ".");
  if (!deleted && !m_quiet) AskUser("Could not delete: " + path.Utf8(), "Error", MB_OK, kUnlogged);
  SetLastError(error);
  return deleted;
}
