#include "AfxFile.h"

#include <cstring>

BOOL CFile::Open(LPCSTR path, UINT, void*) {
  Close();
  if (strlen(path) >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return FALSE;
  }
  // Compatibility sharing is exclusive: a file open elsewhere does not open.
  m_hFile = CreateFileA(path, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  if (m_hFile == INVALID_HANDLE_VALUE) return FALSE;
  strcpy(m_path, path);
  return TRUE;
}

BOOL CFile::GetStatus(CFileStatus& status) const {
  memset(&status, 0, sizeof status);
  if (m_hFile == INVALID_HANDLE_VALUE) return FALSE;
  DWORD attributes = GetFileAttributesA(m_path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return FALSE;
  status.m_size = GetFileSize(m_hFile, NULL);
  status.m_attribute = (BYTE)attributes;
  strcpy(status.m_szFullName, m_path);
  return TRUE;
}

void CFile::Close() {
  if (m_hFile == INVALID_HANDLE_VALUE) return;
  CloseHandle(m_hFile);
  m_hFile = INVALID_HANDLE_VALUE;
}

BOOL CFile::SetStatus(LPCSTR path, const CFileStatus& status) {
  DWORD current = GetFileAttributesA(path);
  if (current == INVALID_FILE_ATTRIBUTES) return FALSE;
  if ((current & 0xFF) == status.m_attribute) return TRUE;
  DWORD wanted = status.m_attribute ? status.m_attribute : FILE_ATTRIBUTE_NORMAL;
  return SetFileAttributesA(path, wanted);
}
