// The application: runs the main dialog once and ends, or, asked on the
// command line, the unattended removal or the check.
#pragma once

#include "platform/Afx.h"

class CRemoverApp : public CWinApp {
 public:
  CRemoverApp();
  BOOL InitInstance() override;
  int ExitInstance() override { return m_exitCode; }

  int m_exitCode;

 private:
  // Where the desktop is not `visible`, the dialog is not opened at all.
  int RunDialog(bool visible);
};

extern CRemoverApp theApp;
