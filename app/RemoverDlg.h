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

  // ---- Installation location.
  CString FindInstallPath();
  void OnBrowse();
  // The first steps of Remove: a typed folder is tested and confirmed.
  // False when the user declined (the handler ends there).
  bool RecheckLocation();

  // ---- Removal.
  void OnOK() override;
  bool CopyTree(CString source, CString destination);
  bool DeleteTree(CString& parent, const CString& name);
  bool ShellDeleteFolder(CString path);

  CStringArray m_shortcuts;
  CStringArray m_failures;
  CProgressDlg m_progress;
  int m_osMinor;
  int m_osMajor;
  CString m_userName;
  OSVERSIONINFOA m_osvi;
  CString m_installPath;
  CButton m_saveData;
  CStatic m_status;
  CEdit m_location;
  HICON m_hIcon;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  BOOL OnCommand(UINT id, UINT code) override;
};
