#include "AfxFileFind.h"

BOOL CFileFind::FindFile(LPCSTR name) {
  Close();
  WIN32_FIND_DATAA data;
  m_hFind = FindFirstFileA(name, &data);
  return m_hFind != INVALID_HANDLE_VALUE;
}

void CFileFind::Close() {
  if (m_hFind == INVALID_HANDLE_VALUE) return;
  // Keep the caller's last error: a failed FindFile's reason must survive.
  DWORD error = GetLastError();
  FindClose(m_hFind);
  m_hFind = INVALID_HANDLE_VALUE;
  SetLastError(error);
}
