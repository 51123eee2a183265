#include "app/RemoverDlg.h"
#include "removal/PathExists.h"

namespace {

const char kStep4[] = "Step 4 of 6: Deleting desktop shortcuts...";
const char kStep5[] = "Step 5 of 6: Deleting Start Menu Shortcuts...";

const char* const kDesktopShortcuts[] = {
    "Kelmora.lnk",
    "Kelmora Student Selection.lnk",
    "Kelmora Vessik.lnk",
    "Kelmora Vessik Student Selection.lnk",
};
const char* const kStartMenuShortcuts[] = {
    "Programs\\Kelmora\\Kelmora.lnk",
    "Programs\\Kelmora\\Kelmora Student Selection.lnk",
    "Programs\\Kelmora\\Uninstall.lnk",
    "Programs\\Kelmora Vessik\\Kelmora Vessik.lnk",
    "Programs\\Kelmora Vessik\\Kelmora Vessik Student Selection.lnk",
    "Programs\\Kelmora Vessik\\Uninstall.lnk",
};
const char kKelmoraFolder[] = "\\Programs\\Kelmora";
const char kVessikFolder[] = "\\Programs\\Kelmora Vessik";

template <int count>
void SetNames(CStringArray& list, const char* const (&names)[count]) {
  list.SetSize(0);
  for (const char* name : names) list.Add(name);
}

// The per-user folder where the product's installer also put shortcuts: the
// folder cut back by three components, then the user's name and `lastPart`
// (which ends with a separator, so the names joined to it get two).
CString UserNameLocation(CString folder, const CString& userName, const char* lastPart) {
  for (int cut = 0; cut < 3; ++cut) {
    const int separator = folder.ReverseFind('\\');
    folder = separator < 0 ? CString("") : folder.Left(separator);
  }
  return folder + "\\" + userName + lastPart;
}

// Deletes each name of `names` that is present at `location`; a shortcut
// that stays becomes a "File: " entry.
void DeleteShortcutsAt(const CString& location, const CStringArray& names, CStringArray& failures) {
  for (int i = 0; i < names.GetSize(); ++i) {
    const CString path = location + "\\" + names[i];
    if (PathMayExist(path) && !DeleteFileA(path)) failures.Add("File: " + path);
  }
}

}  // namespace

void CRemoverDlg::RemoveShortcuts(const CString& desktop, const CString& startMenu) {
  const bool userNameLocations = m_osMajor >= 5;

  m_progress.m_step.SetWindowTextA(kStep4);
  SetNames(m_shortcuts, kDesktopShortcuts);
  if (!desktop.IsEmpty()) {
    DeleteShortcutsAt(desktop, m_shortcuts, m_failures);
    if (userNameLocations) {
      DeleteShortcutsAt(UserNameLocation(desktop, m_userName, "\\Desktop\\"), m_shortcuts,
                        m_failures);
    }
  }

  m_progress.m_step.SetWindowTextA(kStep5);
  SetNames(m_shortcuts, kStartMenuShortcuts);
  if (!startMenu.IsEmpty()) {
    DeleteShortcutsAt(startMenu, m_shortcuts, m_failures);
    // "Programs\Kelmora Vessik" stays here: only its shortcuts are the product's.
    DeleteFolderIfPresent(startMenu + kKelmoraFolder);
  }
  m_progress.m_item.SetWindowTextA("");
  if (userNameLocations) {
    if (!startMenu.IsEmpty()) {
      const CString location = UserNameLocation(startMenu, m_userName, "\\Start Menu\\");
      DeleteShortcutsAt(location, m_shortcuts, m_failures);
      DeleteFolderIfPresent(location + kKelmoraFolder);
      DeleteFolderIfPresent(location + kVessikFolder);
    }
    m_progress.m_item.SetWindowTextA("");
  }
}
