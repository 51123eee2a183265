#include "app/RemoverDlg.h"
#include "removal/PathExists.h"

void CRemoverDlg::DeleteFolderIfPresent(const CString& path) {
  if (!PathMayExist(path)) return;
  if (!ShellDeleteFolder(path)) m_failures.Add("Folder: " + path);
}
