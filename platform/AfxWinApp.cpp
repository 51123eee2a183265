#include "AfxWinApp.h"

#include <cstring>

static CWinApp* g_app = NULL;

CWinApp::CWinApp(LPCSTR appName) : m_pMainWnd(NULL), m_pszGivenName(appName) {
  m_moduleName[0] = '\0';
  g_app = this;
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = NULL;
}

LPCSTR CWinApp::GetAppName() {
  if (m_pszGivenName) return m_pszGivenName;
  if (m_moduleName[0] == '\0') {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(NULL, path, MAX_PATH);
    path[MAX_PATH - 1] = '\0';
    const char* base = strrchr(path, '\\');
    base = base ? base + 1 : path;
    strcpy(m_moduleName, base);
    char* dot = strrchr(m_moduleName, '.');
    if (dot) *dot = '\0';
  }
  return m_moduleName;
}

CWinApp* AfxGetApp() { return g_app; }

HINSTANCE AfxFindResourceHandle(LPCSTR, LPCSTR) { return GetModuleHandleA(NULL); }
