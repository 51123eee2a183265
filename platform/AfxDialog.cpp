#include "AfxDialog.h"

#include "AfxWinApp.h"

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
  if (control.m_hWnd == NULL) pDX->m_pDlgWnd->BindControl(control, id);
}

void DDX_Text(CDataExchange* pDX, int id, CString& text) {
  HWND control = GetDlgItem(pDX->m_pDlgWnd->m_hWnd, id);
  if (pDX->m_bSaveAndValidate) {
    int length = GetWindowTextLengthA(control);
    GetWindowTextA(control, text.GetBuffer(length), length + 1);
    text.ReleaseBuffer();
  } else {
    SetWindowTextA(control, text);
  }
}

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_templateId(templateId), m_pParentWnd(parent), m_boundCount(0) {}

CDialog::~CDialog() {
  // The derived object's control members are gone by now: end the window
  // without touching them.
  HWND window = m_hWnd;
  m_hWnd = NULL;
  if (window) ::DestroyWindow(window);
}

INT_PTR CDialog::DoModal() {
  // Made by the wide call, so that its controls hold any name Windows can.
  INT_PTR result =
      DialogBoxParamW(AfxFindResourceHandle(MAKEINTRESOURCEA(m_templateId), NULL),
                      MAKEINTRESOURCEW(m_templateId), OwnerWindow(), DialogProc, (LPARAM)this);
  ReleaseWindow();
  return result;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  m_templateId = templateId;
  m_pParentWnd = parent;
  HWND window =
      CreateDialogParamW(AfxFindResourceHandle(MAKEINTRESOURCEA(templateId), NULL),
                         MAKEINTRESOURCEW(templateId), OwnerWindow(), DialogProc, (LPARAM)this);
  // A modeless window may be opened by a handler that keeps the thread busy;
  // paint it now rather than when the message loop next runs.
  if (window) UpdateWindow(window);
  return window != NULL;
}

BOOL CDialog::DestroyWindow() {
  HWND window = m_hWnd;
  ReleaseWindow();
  return window ? ::DestroyWindow(window) : FALSE;
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() { EndDialog(m_hWnd, IDOK); }

void CDialog::OnCancel() { EndDialog(m_hWnd, IDCANCEL); }

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return TRUE;
}

void CDialog::BindControl(CWnd& control, int id) {
  control.m_hWnd = GetDlgItem(m_hWnd, id);
  if (m_boundCount < kMaxBound) m_bound[m_boundCount++] = &control;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  switch (message) {
    case WM_INITDIALOG:
      result = OnInitDialog();
      return TRUE;
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam));
  }
  return FALSE;
}

BOOL CDialog::OnCommand(UINT id, UINT) {
  switch (id) {
    case IDOK:
      OnOK();
      return TRUE;
    case IDCANCEL:
      OnCancel();
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialog* dialog;
  if (message == WM_INITDIALOG) {
    dialog = (CDialog*)lParam;
    dialog->m_hWnd = window;
    SetWindowLongPtrA(window, DWLP_USER, (LONG_PTR)dialog);
  } else {
    dialog = (CDialog*)GetWindowLongPtrA(window, DWLP_USER);
  }
  // Messages that come before WM_INITDIALOG, or after the object let go of
  // its window, get the dialog manager's default processing.
  if (dialog == NULL || dialog->m_hWnd != window) return FALSE;

  // A handler may run a nested loop (a message box, the about box, the folder
  // browser) whose messages come through here too: each message keeps its own
  // request for Windows' processing, and the one around it gets its own back.
  const BOOL outerRequest = dialog->m_defaultRequested;
  dialog->m_defaultRequested = FALSE;
  LRESULT result = 0;
  const BOOL handled = dialog->OnMessage(message, wParam, lParam, result);
  const BOOL wantsDefault = dialog->m_defaultRequested;
  dialog->m_defaultRequested = outerRequest;
  if (!handled || wantsDefault) return FALSE;
  switch (message) {
    // These answer through the procedure's own result.
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
      return (INT_PTR)result;
  }
  SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
  return TRUE;
}

HWND CDialog::OwnerWindow() const {
  if (m_pParentWnd) return m_pParentWnd->m_hWnd;
  // Without a parent, a dialog belongs to the application's main window.
  CWinApp* app = AfxGetApp();
  CWnd* main = app ? app->m_pMainWnd : NULL;
  return main && main != this ? main->m_hWnd : NULL;
}

void CDialog::ReleaseWindow() {
  for (int i = 0; i < m_boundCount; ++i) m_bound[i]->m_hWnd = NULL;
  m_boundCount = 0;
  m_hWnd = NULL;
}
