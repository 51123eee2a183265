#include "app/RemoverDlg.h"
#include "removal/DecimalText.h"

namespace {

const char kSavedDataFolder[] = "Kelmora Saved Student Data";
const int kMaxSaveFolders = 9999;

// Makes the first of "Kelmora Saved Student Data", "... (2)", "... (3)", ...
// that does not exist yet on `desktop`, so that data saved by an earlier run
// is never mixed with this run's or deleted with it. False when no such
// folder can be made.
bool CreateNewSaveFolder(const CString& desktop, CString& name) {
  for (int number = 1; number <= kMaxSaveFolders; ++number) {
    name = kSavedDataFolder;
    if (number > 1) name += " (" + DecimalText(number) + ")";
    if (CreateDirectoryA(desktop + "\\" + name, NULL)) return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

// Makes `folder` and the folders above it that are missing. What cannot be
// made shows when the save folder is made inside it.
void CreateFolderPath(const CString& folder) {
  for (int i = 0; i < folder.GetLength(); ++i) {
    if (folder[i] == '\\' && i > 0 && folder[i - 1] != ':' && folder[i - 1] != '\\')
      CreateDirectoryA(folder.Left(i), NULL);
  }
  CreateDirectoryA(folder, NULL);
}

}  // namespace

bool CRemoverDlg::SaveStudentData(const CString& parent) {
  // A desktop the system cannot name leaves nowhere to save to.
  if (parent.IsEmpty()) return false;
  // A folder given for the purpose may be new; the desktop is never made.
  if (!m_saveParent.IsEmpty()) CreateFolderPath(parent);
  CString folder;
  if (!CreateNewSaveFolder(parent, folder)) return false;
  m_filesCopied = 0;
  if (CopyTree(m_installPath + "\\Students", parent + "\\" + folder)) {
    m_savedFolder = parent + "\\" + folder;
    return true;
  }
  CString parentForDelete = parent;
  DeleteTree(parentForDelete, folder);
  return false;
}
