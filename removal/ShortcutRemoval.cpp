#include "app/RemoverDlg.h"
#include "removal/ProductTraces.h"
#include "removal/paths/LinkAt.h"
#include "removal/paths/PathExists.h"

namespace {

const char kStep4[] = "Step 4 of 6: Deleting desktop shortcuts...";
const char kStep5[] = "Step 5 of 6: Deleting Start Menu Shortcuts...";

// The program folders removed whole. At the pass's own Start Menu folder only
// the first goes: "Programs\Kelmora Vessik" there loses just its shortcuts.
const char* const kProgramFolders[] = {
    "\\Programs\\Kelmora",
    "\\Programs\\Kelmora Vessik",
};

template <int count>
void SetNames(CStringArray& list, const char* const (&names)[count]) {
  list.SetSize(0);
  for (const char* name : names) list.Add(name);
}

// The per-user folder where the product's installer also put shortcuts: the
// folder cut back by three components, then the user's name and `lastPart`
// (which ends with a separator, so the names joined to it get two).
CWidePath UserNameLocation(CWidePath folder, const CWidePath& userName, const char* lastPart) {
  for (int cut = 0; cut < 3; ++cut) folder = folder.Parent();
  return folder.Append("\\").Append(userName).Append(lastPart);
}

bool Holds(const CStringArray& entries, const CString& entry) {
  for (int i = 0; i < entries.GetSize(); ++i)
    if (entries[i] == entry) return true;
  return false;
}

}  // namespace

void CRemoverDlg::RemoveShortcuts(const CWidePath& desktop, const CWidePath& startMenu) {
  const bool userNameLocations = m_osMajor >= 5;

  ShowStep(kStep4);
  SetNames(m_shortcuts, kDesktopShortcuts);
  if (!desktop.IsEmpty()) {
    RemoveShortcutsAt(desktop, 0);
    if (userNameLocations)
      RemoveShortcutsAt(UserNameLocation(desktop, m_userName, "\\Desktop\\"), 0);
  }

  ShowStep(kStep5);
  SetNames(m_shortcuts, kStartMenuShortcuts);
  if (!startMenu.IsEmpty()) RemoveShortcutsAt(startMenu, 1);
  m_progress.m_item.SetWindowTextA("");
  if (userNameLocations) {
    if (!startMenu.IsEmpty()) {
      RemoveShortcutsAt(UserNameLocation(startMenu, m_userName, "\\Start Menu\\"), 2);
    }
    m_progress.m_item.SetWindowTextA("");
  }
}

void CRemoverDlg::RemoveShortcutsAt(const CWidePath& location, int programFolders) {
  // A pupil may make any folder of their Start Menu a link: what lies behind
  // one is not the product's and is not entered; a link in the product's own
  // place goes as a link. What would not go, by its name at `location`:
  // Where the way to it cannot be checked, nothing is entered either, but what
  // may be the product's is then reported, never passed over.
  CStringArray shortcutsLeft;
  for (int i = 0; i < m_shortcuts.GetSize(); ++i) {
    const CWidePath path = location + "\\" + m_shortcuts[i];
    // Both passes reach the same user-name location where the system names
    // no folder: what the first left to the restart is not taken up again.
    // The way is judged only to what may be there.
    if (!PathMayExist(path) || Holds(m_removedAtRestart, "File: " + path.Utf8())) continue;
    const WayVerdict way = LinkOnTheWay(location, m_shortcuts[i]);
    if (way == kWayThroughLink) continue;
    if (way == kWayUntold || (!DeleteFileW(path.Text()) && !(IsLinkAt(path) && RemoveLink(path))))
      shortcutsLeft.Add("\\" + m_shortcuts[i]);
    else
      LogRemoved("File: ", path.Utf8());
  }
  CStringArray foldersLeft;
  for (int i = 0; i < programFolders; ++i) {
    const CWidePath folder = location + kProgramFolders[i];
    const WayVerdict way = LinkOnTheWay(location, kProgramFolders[i]);
    if (way == kWayThroughLink) continue;
    if (way == kWayUntold ? PathMayExist(folder) : !DeleteFolderIfPresent(folder))
      foldersLeft.Add(kProgramFolders[i]);
  }
  // A shortcut that would not go alone may have gone with its folder.
  for (int i = 0; i < shortcutsLeft.GetSize(); ++i) {
    const CWidePath path = location + shortcutsLeft[i];
    if (PathMayExist(path)) ReportLeft("File: ", path);
  }
  for (int i = 0; i < foldersLeft.GetSize(); ++i) ReportLeft("Folder: ", location + foldersLeft[i]);
}
