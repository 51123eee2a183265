#include "removal/WidePath.h"

bool CWidePath::Set(const CString& path) {
  const int length = MultiByteToWideChar(CP_ACP, 0, path, path.GetLength(), m_text, MAX_PATH - 1);
  if (length <= 0 && !path.IsEmpty()) return false;
  m_length = length;
  m_text[m_length] = 0;
  return true;
}

bool CWidePath::Join(const CWidePath& folder, LPCWSTR name) {
  int nameLength = 0;
  while (name[nameLength]) ++nameLength;
  if (folder.m_length + 1 + nameLength >= MAX_PATH) return false;
  if (&folder != this) {
    for (int i = 0; i <= folder.m_length; ++i) m_text[i] = folder.m_text[i];
    m_length = folder.m_length;
  }
  m_text[m_length++] = L'\\';
  for (int i = 0; i <= nameLength; ++i) m_text[m_length + i] = name[i];
  m_length += nameLength;
  return true;
}

bool ToAnsi(LPCWSTR name, CString& ansi) {
  char text[MAX_PATH * 2];
  if (WideCharToMultiByte(CP_ACP, 0, name, -1, text, sizeof text, NULL, NULL) <= 0) return false;
  ansi = text;
  // A best fit ("O" for a Greek capital omega) names another entry, or none.
  WCHAR back[MAX_PATH];
  const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, back, MAX_PATH);
  for (int i = 0; i < length; ++i)
    if (back[i] != name[i]) return false;
  return length > 0;
}
