#include "app/RemoverApp.h"

#include "app/RemoverDlg.h"

CRemoverApp theApp;

CRemoverApp::CRemoverApp() : CWinApp(NULL) {}

BOOL CRemoverApp::InitInstance() {
  AfxEnableControlContainer();
  Enable3dControls();

  CRemoverDlg dialog;
  m_pMainWnd = &dialog;
  dialog.DoModal();
  // The dialog dies with this call; nothing may reach it through the
  // application afterwards.
  m_pMainWnd = NULL;

  // No message loop: the program ends with the dialog.
  return FALSE;
}
