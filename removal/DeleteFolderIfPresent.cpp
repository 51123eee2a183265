#include "app/RemoverDlg.h"
#include "removal/PathExists.h"

bool CRemoverDlg::DeleteFolderIfPresent(const CWidePath& path) {
  return !PathMayExist(path) || ShellDeleteFolder(path);
}
