#include "AfxWnd.h"

#include "AfxWinApp.h"

CMenu* CMenu::FromHandle(HMENU menu) {
  // The program handles one menu at a time, so one wrapper serves.
  static CMenu wrapper;
  wrapper.m_hMenu = menu;
  return menu ? &wrapper : NULL;
}

BOOL CMenu::AppendMenuA(UINT flags, UINT_PTR id, LPCSTR text) {
  return ::AppendMenuA(m_hMenu, flags, id, text);
}

void CWnd::SetWindowTextA(LPCSTR text) {
  if (m_hWnd) ::SetWindowTextA(m_hWnd, text);
}

CString CWnd::GetWindowTextA() const {
  CString text;
  if (m_hWnd) {
    int length = ::GetWindowTextLengthA(m_hWnd);
    ::GetWindowTextA(m_hWnd, text.GetBuffer(length), length + 1);
    text.ReleaseBuffer();
  }
  return text;
}

int CWnd::MessageBoxA(LPCSTR text, LPCSTR caption, UINT type) {
  if (caption == NULL) caption = AfxGetApp() ? AfxGetApp()->GetAppName() : "";
  return ::MessageBoxA(m_hWnd, text, caption, type);
}

LRESULT CWnd::SendMessageA(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

CMenu* CWnd::GetSystemMenu(BOOL revert) const {
  return CMenu::FromHandle(::GetSystemMenu(m_hWnd, revert));
}

BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }

void CWnd::GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }

BOOL CWnd::DestroyWindow() {
  if (m_hWnd == NULL) return FALSE;
  BOOL destroyed = ::DestroyWindow(m_hWnd);
  m_hWnd = NULL;
  return destroyed;
}

LRESULT CWnd::Default() {
  m_defaultRequested = TRUE;
  return 0;
}

CPaintDC::CPaintDC(CWnd* window) : m_hWnd(window->m_hWnd) { m_hDC = ::BeginPaint(m_hWnd, &m_ps); }

CPaintDC::~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
