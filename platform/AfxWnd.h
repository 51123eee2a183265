// Thin wrappers over window handles: a window, the control kinds the program
// binds, the system menu and the paint context.
#pragma once

#include "AfxString.h"

class CMenu {
 public:
  CMenu() : m_hMenu(NULL) {}
  // A wrapper for a menu the window owns; valid until the next FromHandle.
  static CMenu* FromHandle(HMENU menu);
  BOOL AppendMenuA(UINT flags, UINT_PTR id = 0, LPCSTR text = NULL);
  HMENU m_hMenu;
};

class CWnd {
 public:
  CWnd() : m_hWnd(NULL), m_defaultRequested(FALSE) {}
  virtual ~CWnd() {}
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND GetSafeHwnd() const { return m_hWnd; }

  void SetWindowTextA(LPCSTR text);
  CString GetWindowTextA() const;
  // The text whole, for a name the code page cannot spell (the dialogs are
  // made by the wide calls).
  void SetWindowTextW(LPCWSTR text);
  int GetWindowTextLengthW() const;
  void GetWindowTextW(LPWSTR buffer, int size) const;
  // A message box owned by this window; a NULL caption shows the
  // application's name.
  int MessageBoxA(LPCSTR text, LPCSTR caption = NULL, UINT type = MB_OK);
  int MessageBoxW(LPCWSTR text, LPCWSTR caption = NULL, UINT type = MB_OK);
  LRESULT SendMessageA(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  CMenu* GetSystemMenu(BOOL revert) const;
  BOOL IsIconic() const;
  void GetClientRect(LPRECT rect) const;
  virtual BOOL DestroyWindow();

  HWND m_hWnd;

 protected:
  // Asks for the default processing of the message being handled.
  LRESULT Default();
  BOOL m_defaultRequested;
};

class CStatic : public CWnd {};
class CEdit : public CWnd {};
class CButton : public CWnd {};

class CPaintDC {
 public:
  explicit CPaintDC(CWnd* window);
  ~CPaintDC();
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;
  HDC GetSafeHdc() const { return m_hDC; }
  BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }

  HDC m_hDC;

 private:
  HWND m_hWnd;
  PAINTSTRUCT m_ps;
};
