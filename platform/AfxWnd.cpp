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

void CWnd::SetWindowTextW(LPCWSTR text) {
  if (m_hWnd) ::SetWindowTextW(m_hWnd, text);
}

int CWnd::GetWindowTextLengthW() const { return m_hWnd ? ::GetWindowTextLengthW(m_hWnd) : 0; }

void CWnd::GetWindowTextW(LPWSTR buffer, int size) const {
  if (size > 0) buffer[0] = 0;
  if (m_hWnd) ::GetWindowTextW(m_hWnd, buffer, size);
}

int CWnd::MessageBoxA(LPCSTR text, LPCSTR caption, UINT type) {
  if (caption == NULL) caption = AfxGetApp() ? AfxGetApp()->GetAppName() : "";
  return ::MessageBoxA(m_hWnd, text, caption, type);
}

int CWnd::MessageBoxW(LPCWSTR text, LPCWSTR caption, UINT type) {
  WCHAR appName[MAX_PATH] = {0};
  if (caption == NULL && AfxGetApp() &&
      MultiByteToWideChar(CP_ACP, 0, AfxGetApp()->GetAppName(), -1, appName, MAX_PATH) <= 0)
    appName[0] = 0;
  return ::MessageBoxW(m_hWnd, text, caption ? caption : appName, type);
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
