#include "removal/ProgressDlg.h"

#include "resource.h"

CProgressDlg::CProgressDlg(CWnd* parent) : CDialog(IDD_PROGRESS, parent), m_stepText("") {}

CProgressDlg::~CProgressDlg() {}

void CProgressDlg::SetStepText(CString text) { m_stepText = text; }

void CProgressDlg::ShowItemNow(const CString& text) {
  // Without a window a repaint would go to the whole desktop.
  if (m_hWnd == NULL) return;
  m_item.SetWindowTextA(text);
  RedrawWindow(m_hWnd, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  KeepAnswering();
}

void CProgressDlg::KeepAnswering() {
  // Unattended there is no window, and nothing to answer.
  if (m_hWnd == NULL) return;
  MSG message;
  while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void CProgressDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Control(pDX, IDC_ITEM, m_item);
  DDX_Control(pDX, IDC_STEP, m_step);
  DDX_Text(pDX, IDC_STEP, m_stepText);
}
