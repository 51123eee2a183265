#include "removal/WidePath.h"

#include <cstdlib>
#include <cstring>

namespace {

// The longest path the wide calls take, without its NUL.
const int kLongestPath = 32766;
const WCHAR kExtendedPrefix[] = L"\\\\?\\";
const WCHAR kExtendedUncPrefix[] = L"\\\\?\\UNC";

int LengthOf(LPCWSTR text) {
  int length = 0;
  while (text[length]) ++length;
  return length;
}

bool StartsWith(const CWidePath& path, LPCWSTR prefix) {
  for (int i = 0; prefix[i]; ++i)
    if (i >= path.GetLength() || path[i] != prefix[i]) return false;
  return true;
}

}  // namespace

CWidePath::CWidePath() : m_text(NULL), m_length(0), m_capacity(0) { Reserve(0); }

CWidePath::CWidePath(LPCSTR path) : m_text(NULL), m_length(0), m_capacity(0) {
  const int bytes = (int)strlen(path);
  const int length = bytes ? MultiByteToWideChar(CP_ACP, 0, path, bytes, NULL, 0) : 0;
  Reserve(length);
  if (length > 0) m_length = MultiByteToWideChar(CP_ACP, 0, path, bytes, m_text, length);
  if (m_length < 0) m_length = 0;
  m_text[m_length] = 0;
}

CWidePath::CWidePath(const CString& path) : CWidePath((LPCSTR)path) {}

CWidePath CWidePath::FromUtf8(LPCSTR text) {
  CWidePath path;
  const int bytes = (int)strlen(text);
  const int length = bytes ? MultiByteToWideChar(CP_UTF8, 0, text, bytes, NULL, 0) : 0;
  if (length <= 0) return path;
  path.Reserve(length);
  path.m_length = MultiByteToWideChar(CP_UTF8, 0, text, bytes, path.m_text, length);
  if (path.m_length < 0) path.m_length = 0;
  path.m_text[path.m_length] = 0;
  return path;
}

CWidePath::CWidePath(LPCWSTR path) : m_text(NULL), m_length(0), m_capacity(0) {
  Reserve(0);
  Append(path, LengthOf(path));
}

CWidePath::CWidePath(const CWidePath& other) : m_text(NULL), m_length(0), m_capacity(0) {
  Reserve(other.m_length);
  Append(other.m_text, other.m_length);
}

CWidePath& CWidePath::operator=(const CWidePath& other) {
  if (this != &other) {
    m_length = 0;
    Append(other.m_text, other.m_length);
  }
  return *this;
}

CWidePath::~CWidePath() { free(m_text); }

void CWidePath::Reserve(int length) {
  if (m_text != NULL && length <= m_capacity) return;
  const int grown = m_capacity * 2 > length ? m_capacity * 2 : length;
  WCHAR* text = (WCHAR*)realloc(m_text, (grown + 1) * sizeof(WCHAR));
  if (text == NULL) abort();  // out of memory: nothing sensible is left to do
  if (m_text == NULL) text[0] = 0;
  m_text = text;
  m_capacity = grown;
}

CWidePath& CWidePath::Append(LPCWSTR text, int length) {
  Reserve(m_length + length);
  for (int i = 0; i < length; ++i) m_text[m_length + i] = text[i];
  m_length += length;
  m_text[m_length] = 0;
  return *this;
}

bool CWidePath::Join(const CWidePath& folder, LPCWSTR name) {
  const bool separated = folder.m_length > 0 && folder.m_text[folder.m_length - 1] == L'\\';
  const int nameLength = LengthOf(name);
  if (folder.m_length + 1 + nameLength > kLongestPath) return false;
  if (&folder != this) *this = folder;
  if (!separated) Append(L"\\", 1);
  Append(name, nameLength);
  return true;
}

bool CWidePath::operator==(const CWidePath& other) const {
  if (m_length != other.m_length) return false;
  for (int i = 0; i < m_length; ++i)
    if (m_text[i] != other.m_text[i]) return false;
  return true;
}

CWidePath CWidePath::Parent() const {
  int separator = m_length - 1;
  while (separator >= 0 && m_text[separator] != L'\\') --separator;
  CWidePath parent;
  if (separator > 0) parent.Append(m_text, separator);
  return parent;
}

CWidePath CWidePath::Name() const {
  int start = m_length;
  while (start > 0 && m_text[start - 1] != L'\\') --start;
  return CWidePath(m_text + start);
}

bool CWidePath::Extend() {
  if (StartsWith(*this, kExtendedPrefix)) return true;
  if (IsEmpty()) return false;
  const DWORD size = GetFullPathNameW(m_text, 0, NULL, NULL);
  if (size == 0) return false;
  CWidePath full;
  full.Reserve((int)size);
  const DWORD length = GetFullPathNameW(m_text, size, full.m_text, NULL);
  if (length == 0 || length >= size) return false;
  full.m_length = (int)length;
  // "\\server\share\..." keeps one of its leading separators after "UNC".
  const bool unc = StartsWith(full, L"\\\\");
  m_length = 0;
  if (unc)
    Append(kExtendedUncPrefix, LengthOf(kExtendedUncPrefix)).Append(full.m_text + 1, length - 1);
  else
    Append(kExtendedPrefix, LengthOf(kExtendedPrefix)).Append(full);
  return true;
}

CWidePath CWidePath::Unextended() const {
  CWidePath path;
  if (StartsWith(*this, kExtendedUncPrefix)) {
    const int prefix = LengthOf(kExtendedUncPrefix);
    path.Append(L"\\", 1).Append(m_text + prefix, m_length - prefix);
  } else if (StartsWith(*this, kExtendedPrefix)) {
    const int prefix = LengthOf(kExtendedPrefix);
    path.Append(m_text + prefix, m_length - prefix);
  } else {
    path = *this;
  }
  return path;
}

CString CWidePath::Utf8() const {
  CString text;
  if (IsEmpty()) return text;
  const int size = WideCharToMultiByte(CP_UTF8, 0, m_text, m_length, NULL, 0, NULL, NULL);
  if (size <= 0) return text;
  LPSTR buffer = text.GetBuffer(size);
  const int length = WideCharToMultiByte(CP_UTF8, 0, m_text, m_length, buffer, size, NULL, NULL);
  buffer[length > 0 ? length : 0] = 0;
  text.ReleaseBuffer();
  return text;
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
