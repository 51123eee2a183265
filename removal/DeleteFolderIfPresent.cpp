#include "app/RemoverDlg.h"
#include "removal/paths/PathExists.h"

bool CRemoverDlg::DeleteFolderIfPresent(const CWidePath& path) {
  if (!PathMayExist(path)) return true;
  if (!ShellDeleteFolder(path)) return false;
  LogRemoved("Folder: ", path.Utf8());
  return true;
}
