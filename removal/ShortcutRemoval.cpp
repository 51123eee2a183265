#include "app/RemoverDlg.h"
#include "removal/ProductTraces.h"
#include "removal/held/HeldWay.h"
#include "removal/paths/PathExists.h"
#include "removal/tree/DeleteEntryByEntry.h"

namespace {

const char kStep4[] = "Step 4 of 6: Deleting desktop shortcuts...";
const char kStep5[] = "Step 5 of 6: Deleting Start Menu Shortcuts...";

// The program folders removed whole. At the pass's own Start Menu folder only
// the first goes: "Programs\Kelmora Vessik" there loses just its shortcuts.
const char* const kProgramFolders[] = {
    "\\Programs\\Kelmora",
    "\\Programs\\Kelmora Vessik",
};

// A shortcut is deleted as DeleteFileW would delete it: a read-only one stays.
const ACCESS_MASK kShortcutAccess = DELETE | FILE_READ_ATTRIBUTES;

template <int count>
void SetNames(CStringArray& list, const char* const (&names)[count]) {
  list.SetSize(0);
  for (const char* name : names) list.Add(name);
}

// The per-user folder where the product's installer also put shortcuts: the
// folder cut back by three components, then the user's name and `lastPart`
// (which ends with a separator, so the names joined to it get two). `top`
// gets the length of the folder cut back with its separator, where the walk
// starts.
CWidePath UserNameLocation(CWidePath folder, const CWidePath& userName, const char* lastPart,
                           int& top) {
  for (int cut = 0; cut < 3; ++cut) folder = folder.Parent();
  top = folder.GetLength() + 1;
  return folder.Append("\\").Append(userName).Append(lastPart);
}

bool Holds(const CStringArray& entries, const CString& entry) {
  for (int i = 0; i < entries.GetSize(); ++i)
    if (entries[i] == entry) return true;
  return false;
}

// Nothing of the product's is there: the entry, or a folder on its way, is
// missing, a file, or going already; or what lies there is behind a link.
bool NothingThere(NTSTATUS opened) {
  return opened == STATUS_OBJECT_NAME_NOT_FOUND || opened == STATUS_DELETE_PENDING ||
         opened == STATUS_NOT_A_DIRECTORY || opened == STATUS_STOPPED_ON_SYMLINK;
}

// Nothing of the product's at `path`, as `opened` says; "not found" only
// where a look by name agrees, so that an open that failed for another
// reason never passes for nothing there.
bool Gone(NTSTATUS opened, const CWidePath& path) {
  return NothingThere(opened) && (opened != STATUS_OBJECT_NAME_NOT_FOUND || !PathMayExist(path));
}

// Deletes the program folder `held` (at `inside` below the way's top,
// `folder` by its name) with what it holds, or as the link it is. Believed
// once its name is gone or going (see DeleteEntryByEntry).
bool DeleteProgramFolder(CHeldWay& way, const CWidePath& inside, CHeldEntry& held,
                         const CWidePath& folder, DWORD& waited) {
  const bool deleted = DeleteHeldTree(held, folder, NULL, &waited);
  held.Close();
  const bool gone = deleted && NothingThere(way.Open(inside, FILE_READ_ATTRIBUTES, held));
  held.Close();
  if (deleted && !gone) SetLastError(ERROR_DIR_NOT_EMPTY);
  return gone;
}

}  // namespace

void CRemoverDlg::RemoveShortcuts(const CWidePath& desktop, const CWidePath& startMenu,
                                  const CWidePath& profile) {
  const bool userNameLocations = m_osMajor >= 5;
  int top;

  ShowStep(kStep4);
  SetNames(m_shortcuts, kDesktopShortcuts);
  if (!desktop.IsEmpty()) {
    RemoveShortcutsAt(desktop, profile.IsEmpty() ? desktop.GetLength() : profile.GetLength(), 0);
    if (userNameLocations) {
      const CWidePath location = UserNameLocation(desktop, m_userName, "\\Desktop\\", top);
      RemoveShortcutsAt(location, top, 0);
    }
  }

  ShowStep(kStep5);
  SetNames(m_shortcuts, kStartMenuShortcuts);
  if (!startMenu.IsEmpty())
    RemoveShortcutsAt(startMenu, profile.IsEmpty() ? startMenu.GetLength() : profile.GetLength(),
                      1);
  m_progress.m_item.SetWindowTextA("");
  if (userNameLocations) {
    if (!startMenu.IsEmpty()) {
      const CWidePath location = UserNameLocation(startMenu, m_userName, "\\Start Menu\\", top);
      RemoveShortcutsAt(location, top, 2);
    }
    m_progress.m_item.SetWindowTextA("");
  }
}

void CRemoverDlg::RemoveShortcutsAt(const CWidePath& location, int top, int programFolders) {
  // A pupil may make any folder of her Start Menu or desktop a link, also
  // between two of our calls: the way is walked down on held handles, and
  // each shortcut and program folder is deleted through its own handle,
  // opened relative to its folder held. What lies behind a link is not the
  // product's and is not entered; a link in the product's own place goes as
  // a link. Where the way or the entry cannot be opened, what may be the
  // product's is reported, never passed over; what would not go, by its name
  // at `location`.
  CHeldWay way;
  way.Start(CWidePath().Append(location.Text(), top));
  const CWidePath below(location.Text() + top);
  bool posix = true;
  CStringArray shortcutsLeft;
  for (int i = 0; i < m_shortcuts.GetSize(); ++i) {
    const CWidePath path = location + "\\" + m_shortcuts[i];
    // Both passes reach the same user-name location where the system names
    // no folder: what the first left to the restart is not taken up again.
    if (Holds(m_removedAtRestart, "File: " + path.Utf8())) continue;
    CHeldEntry shortcut;
    const NTSTATUS opened = way.Open(below + "\\" + m_shortcuts[i], kShortcutAccess, shortcut);
    if (Gone(opened, path)) continue;
    if (NT_SUCCESS(opened) && !shortcut.IsFolder() && shortcut.Delete(posix, false))
      LogRemoved("File: ", path.Utf8());
    else
      shortcutsLeft.Add("\\" + m_shortcuts[i]);
  }
  CStringArray foldersLeft;
  for (int i = 0; i < programFolders; ++i) {
    const CWidePath folder = location + kProgramFolders[i];
    const CWidePath inside = below + kProgramFolders[i];
    CHeldEntry held;
    const NTSTATUS opened = way.Open(inside, kTreeDeleteAccess, held);
    if (Gone(opened, folder)) continue;
    if (!NT_SUCCESS(opened)) {
      if (PathMayExist(folder)) foldersLeft.Add(kProgramFolders[i]);
      continue;
    }
    DWORD waited = 0;
    if (TellDelete(folder, DeleteProgramFolder(way, inside, held, folder, waited), waited))
      LogRemoved("Folder: ", folder.Utf8());
    else
      foldersLeft.Add(kProgramFolders[i]);
  }
  // A shortcut that would not go alone may have gone with its folder.
  for (int i = 0; i < shortcutsLeft.GetSize(); ++i) {
    const CWidePath path = location + shortcutsLeft[i];
    if (PathMayExist(path)) ReportLeft("File: ", path);
  }
  for (int i = 0; i < foldersLeft.GetSize(); ++i) ReportLeft("Folder: ", location + foldersLeft[i]);
}
