#include "app/RemoverDlg.h"

namespace {

const char kSavedDataFolder[] = "Kelmora Saved Student Data";
const int kMaxSaveFolders = 9999;

// " (N)": the C runtime's formatting would more than double the program's size.
CString NumberSuffix(int number) {
  char digits[12];
  int length = 0;
  do {
    digits[length++] = (char)('0' + number % 10);
    number /= 10;
  } while (number > 0);
  CString suffix(" (");
  while (length > 0) suffix += digits[--length];
  return suffix + ")";
}

// Makes the first of "Kelmora Saved Student Data", "... (2)", "... (3)", ...
// that does not exist yet on `desktop`, so that data saved by an earlier run
// is never mixed with this run's or deleted with it. False when no such
// folder can be made.
bool CreateNewSaveFolder(const CString& desktop, CString& name) {
  for (int number = 1; number <= kMaxSaveFolders; ++number) {
    name = kSavedDataFolder;
    if (number > 1) name += NumberSuffix(number);
    if (CreateDirectoryA(desktop + "\\" + name, NULL)) return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

}  // namespace

bool CRemoverDlg::SaveStudentData(const CString& userDesktop) {
  // A desktop the system cannot name leaves nowhere to save to.
  if (userDesktop.IsEmpty()) return false;
  CString folder;
  if (!CreateNewSaveFolder(userDesktop, folder)) return false;
  if (CopyTree(m_installPath + "\\Students", userDesktop + "\\" + folder)) return true;
  CString parent = userDesktop;
  DeleteTree(parent, folder);
  return false;
}
