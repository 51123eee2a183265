#include "app/RemoverDlg.h"
#include "removal/tree/PathExists.h"

bool CRemoverDlg::DeleteFolderIfPresent(const CWidePath& path) {
  return !PathMayExist(path) || ShellDeleteFolder(path);
}
