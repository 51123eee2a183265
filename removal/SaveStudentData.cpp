#include "app/RemoverDlg.h"
#include "removal/DecimalText.h"
#include "removal/ErrorText.h"

namespace {

const char kSavedDataFolder[] = "Kelmora Saved Student Data";
const int kMaxSaveFolders = 9999;

// Makes the first of "Kelmora Saved Student Data", "... (2)", "... (3)", ...
// that does not exist yet in `parent`, so that data saved by an earlier run
// is never mixed with this run's or deleted with it. False when no such
// folder can be made.
bool CreateNewSaveFolder(const CWidePath& parent, CString& name, CWidePath& folder) {
  for (int number = 1; number <= kMaxSaveFolders; ++number) {
    name = kSavedDataFolder;
    if (number > 1) name += " (" + DecimalText(number) + ")";
    if (!folder.Join(parent, name)) return false;
    if (CreateDirectoryW(folder.Text(), NULL)) return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

// Makes `folder` (a "\\?\" path) and the folders above it that are missing.
// What cannot be made shows when the save folder is made inside it.
void CreateFolderPath(const CWidePath& folder) {
  const int prefix = 4;  // "\\?\"
  for (int i = prefix + 1; i < folder.GetLength(); ++i) {
    if (folder[i] == L'\\' && folder[i - 1] != L':' && folder[i - 1] != L'\\') {
      CWidePath above;
      above.Append(folder.Text(), i);
      CreateDirectoryW(above.Text(), NULL);
    }
  }
  CreateDirectoryW(folder.Text(), NULL);
}

}  // namespace

bool CRemoverDlg::SaveStudentData(const CWidePath& parent) {
  // A desktop the system cannot name leaves nowhere to save to.
  if (parent.IsEmpty()) return false;
  // The save folder's own path may be past MAX_PATH too.
  CWidePath extendedParent = parent;
  if (!extendedParent.Extend()) return false;
  // A folder given for the purpose may be new; the desktop is never made.
  if (!m_saveParent.IsEmpty()) CreateFolderPath(extendedParent);
  CString name;
  CWidePath folder;
  if (!CreateNewSaveFolder(extendedParent, name, folder)) return false;
  m_filesCopied = 0;
  if (CopyTree(m_installPath + "\\Students", folder)) {
    m_savedFolder = parent.Utf8() + "\\" + CWidePath(name).Utf8();
    return true;
  }
  // By the wide name it was made with: a best fit of a desktop the code page
  // cannot spell ("Lukasz" for "Łukasz") may be another account's, with its
  // own saved data.
  DeleteTree(folder);
  return false;
}

bool CRemoverDlg::CopyFailed(const CWidePath& path) {
  if (m_log)
    m_log->Line("Could not copy: " + path.Unextended().Utf8() + ErrorText(GetLastError()), kError);
  return false;
}
