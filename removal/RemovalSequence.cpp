#include "app/RemoverDlg.h"
#include "removal/ProductTraces.h"
#include "removal/ProgramFilesPaths.h"
#include "removal/SupportNumber.h"

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
const char kFailuresHeader[] =
    "Unable to remove the following components...please remove them manually:\n\n";

const char kStep1[] = "Step 1 of 6: Copying student data to desktop...";
const char kStep2[] = "Step 2 of 6: Deleting InstallShield folder...";
const char kStep3[] = "Step 3 of 6: Deleting Kelmora folder...";

// The shell folder's path, or "" when the system cannot name it.
CString SpecialFolder(int csidl) {
  char path[MAX_PATH] = {0};
  if (!SHGetSpecialFolderPathA(NULL, path, csidl, FALSE)) return "";
  return path;
}

// The copy of step 1 leaves the current directory inside the install folder,
// which could then not be deleted.
void LeaveInstallFolder() {
  char system[MAX_PATH] = {0};
  if (GetSystemDirectoryA(system, MAX_PATH)) SetCurrentDirectoryA(system);
}

}  // namespace

void CRemoverDlg::OnOK() {
  if (!RecheckLocation()) return;
  m_failures.SetSize(0);
  if (AskUser(kStartQuestion, "", MB_OKCANCEL) == IDCANCEL) return;

  const CString commonDesktop = SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  const CString userDesktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
  const CString commonStartMenu = SpecialFolder(CSIDL_COMMON_STARTMENU);
  const CString userStartMenu = SpecialFolder(CSIDL_STARTMENU);
  CRegistryKey registryKey;

  m_progress.SetStepText(kStep1);
  m_progress.Create(IDD_PROGRESS, NULL);
  m_progress.m_item.SetWindowTextA("");
  if (m_progress.GetSafeHwnd()) BringWindowToTop(m_progress.GetSafeHwnd());

  if (m_saveData.SendMessageA(BM_GETCHECK, 0, 0) != 0 && !m_installPath.IsEmpty() &&
      !SaveStudentData(userDesktop)) {
    // Nothing has been removed yet: the user copies the data and tries again.
    AskUser(kCopyFailedStart + CString(kSupportTelephoneNumber) + kCopyFailedEnd, NULL, MB_OK);
    m_progress.DestroyWindow();
    CDialog::OnOK();
    return;
  }

  m_progress.m_step.SetWindowTextA(kStep2);
  for (const char* cache : kInstallerCacheFolders) {
    CStringArray paths;
    ProgramFilesPaths(cache, paths);
    for (int i = 0; i < paths.GetSize(); ++i) {
      if (!DeleteFolderIfPresent(paths[i])) m_failures.Add("Folder: " + paths[i]);
    }
  }
  m_progress.m_item.SetWindowTextA("");

  LeaveInstallFolder();
  m_progress.m_step.SetWindowTextA(kStep3);
  if (!DeleteFolderIfPresent(m_installPath)) m_failures.Add("Folder: " + m_installPath);
  m_progress.m_item.SetWindowTextA("");

  RemoveShortcuts(commonDesktop, commonStartMenu);
  RemoveShortcuts(userDesktop, userStartMenu);
  RemoveRegistryEntries(registryKey);

  m_progress.DestroyWindow();
  if (m_failures.GetSize() == 0) {
    AskUser(kSuccessMessage, kSuccessCaption, MB_OK);
  } else {
    CString report = kFailuresHeader;
    for (int i = 0; i < m_failures.GetSize(); ++i) report += m_failures[i] + "\n";
    AskUser(report, NULL, MB_OK);
  }
  CDialog::OnOK();
}
