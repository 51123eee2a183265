#include "app/RemoverDlg.h"
#include "removal/PathExists.h"

bool CRemoverDlg::DeleteFolderIfPresent(const CString& path) {
  return !PathMayExist(path) || ShellDeleteFolder(path);
}
