#include "AfxString.h"

#include <cstdlib>
#include <cstring>

#include "AfxWinApp.h"

// Every string owns a buffer, so that operator LPCSTR never yields NULL.
CString::CString() : m_data(NULL), m_length(0), m_capacity(0) { Assign("", 0); }

CString::CString(LPCSTR text) : m_data(NULL), m_length(0), m_capacity(0) {
  Assign(text ? text : "", text ? (int)strlen(text) : 0);
}

CString::CString(const CString& other) : m_data(NULL), m_length(0), m_capacity(0) {
  Assign(other.m_data, other.m_length);
}

CString::~CString() { free(m_data); }

CString& CString::operator=(const CString& other) {
  if (this != &other) Assign(other.m_data, other.m_length);
  return *this;
}

CString& CString::operator=(LPCSTR text) {
  // The text may lie inside this string's own buffer.
  CString copy(text);
  Assign(copy.m_data, copy.m_length);
  return *this;
}

CString& CString::operator+=(const CString& other) {
  if (this == &other) {
    CString copy(other);
    Append(copy.m_data, copy.m_length);
  } else {
    Append(other.m_data, other.m_length);
  }
  return *this;
}

CString& CString::operator+=(LPCSTR text) { return *this += CString(text); }

CString& CString::operator+=(char ch) {
  Append(&ch, 1);
  return *this;
}

CString operator+(const CString& a, const CString& b) {
  CString result(a);
  result += b;
  return result;
}

CString operator+(const CString& a, LPCSTR b) { return a + CString(b); }

CString operator+(LPCSTR a, const CString& b) { return CString(a) + b; }

bool CString::operator==(const CString& other) const {
  return m_length == other.m_length && memcmp(m_data, other.m_data, m_length) == 0;
}

bool CString::operator==(LPCSTR text) const { return *this == CString(text); }

int CString::ReverseFind(char ch) const {
  for (int i = m_length - 1; i >= 0; --i) {
    if (m_data[i] == ch) return i;
  }
  return -1;
}

CString CString::Left(int count) const {
  CString result;
  if (count < 0) count = 0;
  result.Assign(m_data, count < m_length ? count : m_length);
  return result;
}

LPSTR CString::GetBuffer(int minLength) {
  Reserve(minLength);
  return m_data;
}

void CString::ReleaseBuffer() {
  m_data[m_capacity] = '\0';
  m_length = (int)strlen(m_data);
}

BOOL CString::LoadString(UINT id) {
  char buffer[256];
  HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEA((id >> 4) + 1), MAKEINTRESOURCEA(6));
  int length = ::LoadStringA(module, id, buffer, sizeof buffer);
  Assign(buffer, length > 0 ? length : 0);
  return length > 0;
}

void CString::Assign(LPCSTR text, int length) {
  Reserve(length);
  memmove(m_data, text, length);
  m_data[length] = '\0';
  m_length = length;
}

void CString::Append(LPCSTR text, int length) {
  Reserve(m_length + length);
  memcpy(m_data + m_length, text, length);
  m_length += length;
  m_data[m_length] = '\0';
}

void CString::Reserve(int capacity) {
  if (m_data != NULL && capacity <= m_capacity) return;
  int grown = m_capacity * 2 > capacity ? m_capacity * 2 : capacity;
  char* data = (char*)realloc(m_data, grown + 1);
  if (data == NULL) abort();  // out of memory: nothing sensible is left to do
  if (m_data == NULL) data[0] = '\0';
  m_data = data;
  m_capacity = grown;
}
