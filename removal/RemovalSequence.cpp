#include "app/RemovalLog.h"
#include "app/RemoverDlg.h"
#include "removal/ProductTraces.h"
#include "removal/ProgramFilesPaths.h"
#include "removal/RemovalLock.h"
#include "removal/SpecialFolder.h"
#include "removal/SupportNumber.h"
#include "removal/paths/PathBelow.h"
#include "removal/paths/PathExists.h"

namespace {

const char kStartQuestion[] =
    "Please be patient, as this process can sometimes take a few minutes...click OK to "
    "continue.";
const char kCopyFailedStart[] =
    "Unable to copy your student data.  Please copy manually, then try removing the "
    "installation again.  Contact DVH at ";
const char kCopyFailedEnd[] = " if you have any questions.";
const char kSuccessMessage[] = "The Kelmora has been removed from your computer.";
const char kSuccessCaption[] = "Success!";
const char kBusyMessage[] =
    "Another removal of Kelmora is running on this computer.  Please try again when it has "
    "ended.";
const char kFailuresHeader[] =
    "Unable to remove the following components...please remove them manually:\n\n";
const char kRemovedAtRestart[] =
    "Kelmora has been removed.  Some of its files were in use; Windows will remove them when the "
    "computer restarts.  Please restart the computer.";
const char kRestartHeader[] = "Windows will remove these when the computer restarts:";
// Not in the list's own form ("Kind: path"): whoever works down the list by
// hand must not delete the one file that puts the entries back.
const char kBackupSaved[] = "The registry entries removed were saved in ";
const char kBackupUse[] = "; open it to put them back.";

const char kStep1[] = "Step 1 of 6: Copying student data to desktop...";
const char kStep1Saving[] = "Step 1 of 6: Copying student data...";
const char kStep1NotSaving[] = "Step 1 of 6: The student data is not saved.";
const char kNoStudents[] = "No pupils' data to save (no Students folder).";
const char kStep2[] = "Step 2 of 6: Deleting InstallShield folder...";
const char kStep3[] = "Step 3 of 6: Deleting Kelmora folder...";

// The entries, one a line.
CString Lines(const CStringArray& entries) {
  CString text;
  for (int i = 0; i < entries.GetSize(); ++i) text += entries[i] + "\n";
  return text;
}

// The copy of step 1 leaves the current directory inside the install folder,
// which could then not be deleted.
void LeaveInstallFolder() {
  char system[MAX_PATH] = {0};
  if (GetSystemDirectoryA(system, MAX_PATH)) SetCurrentDirectoryA(system);
}

}  // namespace

void CRemoverDlg::ShowStep(LPCSTR text) {
  m_progress.m_step.SetWindowTextA(text);
  if (m_log) m_log->Line(text);
}

// The dialog takes clicks again once the progress window has gone.
void CRemoverDlg::EndRun() {
  if (!m_quiet) EnableWindow(m_hWnd, TRUE);
  m_progress.DestroyWindow();
}

void CRemoverDlg::OnOK() {
  m_ending = kLocationDeclined;
  if (!RecheckLocation()) return;
  m_failures.SetSize(0);
  m_removedAtRestart.SetSize(0);
  m_ending = kStartCancelled;
  if (AskUser(kStartQuestion, "", MB_OKCANCEL) == IDCANCEL) return;
  // Held until the handler returns: two removals at once would each report
  // what the other removed.
  CRemovalLock lock;
  m_ending = kRemovalBusy;
  if (!lock.Take()) {
    AskUser(kBusyMessage, NULL, MB_OK, kWarning);
    return;
  }
  // Cancel at the question about running programs ends as at the start.
  m_ending = kStartCancelled;
  if (!CloseProductPrograms()) return;

  // By their whole names: a school's desktop may be named with letters the
  // code page cannot spell.
  const CWidePath commonDesktop = ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  const CWidePath userDesktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
  const CWidePath commonStartMenu = ShellFolder(CSIDL_COMMON_STARTMENU);
  const CWidePath userStartMenu = ShellFolder(CSIDL_STARTMENU);
  CRegistryKey registryKey;

  m_progress.SetStepText(kStep1);
  // Unattended there is no screen to show progress on. On screen, the
  // progress window is the only one that takes clicks while the removal runs.
  if (!m_quiet) {
    m_progress.Create(IDD_PROGRESS, NULL);
    m_progress.m_item.SetWindowTextA("");
    if (m_progress.GetSafeHwnd()) BringWindowToTop(m_progress.GetSafeHwnd());
    EnableWindow(m_hWnd, FALSE);
  }

  bool save = m_quiet ? m_givenSave : m_saveData.SendMessageA(BM_GETCHECK, 0, 0) != 0;
  // Where it goes is logged with what was saved.
  if (m_log) m_log->Line(save ? kStep1Saving : kStep1NotSaving);
  // Unattended, a folder where no pupil ever saved work is nothing to lose.
  if (save && m_quiet && !m_installPath.IsEmpty() && !PathMayExist(m_installPath + "\\Students")) {
    m_log->Line(kNoStudents);
    save = false;
  }
  m_savedFolder = "";
  if (save && !m_installPath.IsEmpty() &&
      !SaveStudentData(m_saveParent.IsEmpty() ? userDesktop : m_saveParent)) {
    // Nothing has been removed yet: the user copies the data and tries again.
    AskUser(kCopyFailedStart + CString(kSupportTelephoneNumber) + kCopyFailedEnd, NULL, MB_OK,
            kError);
    EndRun();
    m_ending = kDataNotSaved;
    CDialog::OnOK();
    return;
  }

  ShowStep(kStep2);
  for (const char* cache : kInstallerCacheFolders) {
    CStringArray paths;
    ProgramFilesPaths(cache, paths);
    for (int i = 0; i < paths.GetSize(); ++i) {
      if (!DeleteFolderIfPresent(paths[i])) ReportLeft("Folder: ", paths[i]);
    }
  }
  m_progress.m_item.SetWindowTextA("");

  LeaveInstallFolder();
  ShowStep(kStep3);
  const int reportedBefore = m_failures.GetSize();
  if (!m_installPath.IsEmpty()) DeleteInstallFolder(m_installPath);
  m_installFolderLeft = m_failures.GetSize() > reportedBefore && PathMayExist(m_installPath);
  // A recorded folder not reached or not taken at first, inside the one the
  // user chose (by another spelling) and gone with it: its record goes with
  // the product's.
  const CWidePath unreached = CWidePath::FromUtf8(m_unreachedFolder);
  CWidePath rest;
  if (!m_unreachedFolder.IsEmpty() && !m_installPath.IsEmpty() &&
      PathBelow(unreached + "\\", m_installPath, rest) && !PathMayExist(unreached))
    m_unreachedFolder = "";
  // Never reached, so never removed; it must not read as a success.
  if (!m_unreachedFolder.IsEmpty()) m_failures.Add("Folder: " + m_unreachedFolder);
  m_progress.m_item.SetWindowTextA("");

  RemoveShortcuts(commonDesktop, commonStartMenu);
  RemoveShortcuts(userDesktop, userStartMenu);
  if (m_allUsers) RemoveShortcutsOfEveryProfile(userDesktop, userStartMenu);
  RemoveRegistryEntries(registryKey, userDesktop);

  EndRun();
  m_ending = kRemovalCompleted;
  CString report = kSuccessMessage;
  LPCSTR caption = kSuccessCaption;
  LogLevel level = kInfo;
  if (m_failures.GetSize() > 0 || m_removedAtRestart.GetSize() > 0) caption = NULL;
  if (m_failures.GetSize() == 0 && m_removedAtRestart.GetSize() > 0) {
    report = kRemovedAtRestart + CString("\n\n") + Lines(m_removedAtRestart);
    level = kWarning;
  } else if (m_failures.GetSize() > 0) {
    report = kFailuresHeader + Lines(m_failures);
    if (m_removedAtRestart.GetSize() > 0)
      report += "\n" + CString(kRestartHeader) + "\n" + Lines(m_removedAtRestart);
    level = kError;
  }
  if (!m_registryBackup.IsEmpty()) {
    if (caption != NULL) report += "\n";
    report += "\n" + CString(kBackupSaved) + m_registryBackup + kBackupUse;
  }
  AskUser(report, caption, MB_OK, level);
  CDialog::OnOK();
}
