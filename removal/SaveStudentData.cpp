#include "app/RemoverDlg.h"
#include "removal/DecimalText.h"
#include "removal/ErrorText.h"
#include "removal/held/HeldFolderPath.h"
#include "removal/restart/AdministratorsOnly.h"
#include "removal/restart/AdministratorsOnlyDescriptor.h"
#include "removal/restart/TrustedFolders.h"

namespace {

const char kSavedDataFolder[] = "Kelmora Saved Student Data";
const int kMaxSaveFolders = 9999;
// Filling it, and deleting it again after a failed copy.
const ACCESS_MASK kSaveFolderAccess =
    FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | DELETE | FILE_WRITE_ATTRIBUTES;

// Makes the first of "Kelmora Saved Student Data", "... (2)", "... (3)", ...
// that does not exist yet in the folder `parent` holds, so that data saved
// by an earlier run is never mixed with this run's or deleted with it.
// SYSTEM's and Administrators' alone from the start: one pupil's work is
// not for every pupil to read, wherever the folder lies. False when no such
// folder can be made.
bool CreateNewSaveFolder(const CHeldEntry& parent, CString& name, CHeldEntry& folder) {
  for (int number = 1; number <= kMaxSaveFolders; ++number) {
    name = kSavedDataFolder;
    if (number > 1) name += " (" + DecimalText(number) + ")";
    const CWidePath wide(name);
    if (folder.CreateIn(parent, wide.Text(), wide.GetLength(), true, kSaveFolderAccess,
                        AdministratorsOnlyDescriptor()))
      return true;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

}  // namespace

bool CRemoverDlg::SaveStudentData(const CWidePath& parent) {
  // A desktop the system cannot name leaves nowhere to save to.
  if (parent.IsEmpty()) return false;
  // The save folder's own path may be past MAX_PATH too.
  CWidePath extendedParent = parent;
  if (!extendedParent.Extend()) return false;
  CHeldEntry above, folder;
  CWidePath stopped;
  // A folder given for the purpose may be new; the desktop is never made.
  const HeldPathVerdict verdict = HoldFolderPath(extendedParent, FILE_ADD_SUBDIRECTORY,
                                                 !m_saveParent.IsEmpty(), above, stopped);
  if (verdict != kPathHeld) {
    const CString why =
        verdict == kPathThroughDistrustedLink
            ? " is a link that others than administrators could have made or changed."
            : " could not be opened" + ErrorText(GetLastError()) + ".";
    if (m_log)
      m_log->Line("The student data is not saved in " + parent.Utf8() + ": " +
                      stopped.Unextended().Utf8() + why,
                  kError);
    return false;
  }
  CString name;
  CWidePath path;
  if (!CreateNewSaveFolder(above, name, folder) || !path.Join(extendedParent, CWidePath(name)))
    return false;
  // Locked before the copy: work a pupil added afterwards would be deleted
  // unsaved with the install folder.
  const CWidePath students = m_installPath + "\\Students";
  CWidePath extendedStudents = students;
  CKeptSecurity before;
  // By its name: only where no one else may change a folder above it.
  bool locked = extendedStudents.Extend() && OnlyTrustedAbove(extendedStudents, 0);
  if (!locked) SetLastError(ERROR_ACCESS_DENIED);
  locked = locked && MakeAdministratorsOnly(extendedStudents, &before);
  if (!locked && m_log)
    m_log->Line("Students could not be made administrators' only" + ErrorText(GetLastError()) +
                    "; work pupils add to it during the removal is not saved.",
                kWarning);
  m_filesCopied = 0;
  if (CopyTree(students, folder, path)) {
    m_savedFolder = parent.Utf8() + "\\" + CWidePath(name).Utf8();
    m_savedHeld.Swap(folder);
    return true;
  }
  // Through the handle it was made with: its name may lead elsewhere by now.
  DeleteTree(folder, path);
  // Nothing is removed: the pupils keep their folder as it was.
  if (!before.PutBack() && m_log)
    m_log->Line(
        "The permissions of Students could not all be put back" + ErrorText(GetLastError()) + ".",
        kWarning);
  return false;
}

bool CRemoverDlg::CopyFailed(const CWidePath& path) {
  if (m_log)
    m_log->Line("Could not copy: " + path.Unextended().Utf8() + ErrorText(GetLastError()), kError);
  return false;
}
