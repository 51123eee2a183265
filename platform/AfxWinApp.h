// The application object: one global instance whose InitInstance is the
// program; returning FALSE ends the program without a message loop.
#pragma once

#include "AfxWnd.h"

class CWinApp {
 public:
  explicit CWinApp(LPCSTR appName = NULL);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual BOOL InitInstance() { return FALSE; }
  // Called when the program ends; returns its exit code.
  virtual int ExitInstance() { return 0; }
  // Windows draws 3-D controls itself since version 4; nothing to do.
  BOOL Enable3dControls() { return TRUE; }
  // The application's name: the one given, else the executable's base name.
  LPCSTR GetAppName();

  CWnd* m_pMainWnd;

 private:
  LPCSTR m_pszGivenName;
  char m_moduleName[MAX_PATH];
};

CWinApp* AfxGetApp();
// There are no ActiveX controls in this program; kept for the start-up order.
inline void AfxEnableControlContainer() {}
// The module that holds the resources: the executable itself.
HINSTANCE AfxFindResourceHandle(LPCSTR name, LPCSTR type);
