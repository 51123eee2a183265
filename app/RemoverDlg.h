// The main dialog: owns every piece of state of the program. Its operations
// live beside the subsystem they belong to (location/, removal/).
#pragma once

#include "platform/Afx.h"
#include "removal/ProgressDlg.h"
#include "removal/RegistryKey.h"
#include "resource.h"

class CRemoverDlg : public CDialog {
 public:
  explicit CRemoverDlg(CWnd* parent = NULL);

  // ---- Application shell.
  BOOL OnInitDialog() override;
  void OnSysCommand(UINT id, LPARAM lParam);
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  // Everything the program tells or asks the user while it works passes here:
  // a message box owned by the dialog. Returns the answer.
  int AskUser(LPCSTR text, LPCSTR caption, UINT type);

  // ---- Installation location.
  CString FindInstallPath();
  void OnBrowse();
  // The first steps of Remove: a typed folder is tested and confirmed.
  // False when the user declined (the handler ends there).
  bool RecheckLocation();
  // Whether `folder` may become the install folder: a protected folder is
  // refused with a message; another is taken when it holds the product's
  // marker file or the user confirms it. A taken `folder` is made full.
  bool ConfirmLocation(CString& folder);

  // ---- Removal.
  void OnOK() override;
  bool CopyTree(CString source, CString destination);
  bool DeleteTree(CString& parent, const CString& name);
  bool ShellDeleteFolder(CString path);
  // Step 1: copies the student data into a new folder on `userDesktop`. False
  // when it could not all be saved; what this run made is then deleted again.
  bool SaveStudentData(const CString& userDesktop);
  // Deletes the folder through the shell when it may exist. False when it is
  // still there (the shell's message has been shown).
  bool DeleteFolderIfPresent(const CString& path);
  // Steps 4 and 5 of one pass; an empty folder is one the system cannot name.
  void RemoveShortcuts(const CString& desktop, const CString& startMenu);
  // Deletes the names of m_shortcuts at `location`, then its first
  // `programFolders` program folders, and reports what is left.
  void RemoveShortcutsAt(const CString& location, int programFolders);
  // Step 6, with the removal's key holder.
  void RemoveRegistryEntries(CRegistryKey& key);

  CStringArray m_shortcuts;
  CStringArray m_failures;
  CProgressDlg m_progress;
  int m_osMinor;
  int m_osMajor;
  CString m_userName;
  OSVERSIONINFOA m_osvi;
  CString m_installPath;
  // The location box's text from which m_installPath was taken at Remove, so
  // that the same text (a relative folder made full) counts as unchanged;
  // "" when m_installPath was not typed.
  CString m_typedLocation;
  CButton m_saveData;
  CStatic m_status;
  CEdit m_location;
  HICON m_hIcon;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  BOOL OnCommand(UINT id, UINT code) override;
};
