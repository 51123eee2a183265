// A counted string of 8-bit characters in the system code page: the few
// operations the program needs, without the weight of std::string.
#pragma once

#include "Win32.h"

class CString {
 public:
  CString();
  CString(LPCSTR text);  // NULL counts as ""
  CString(const CString& other);
  ~CString();
  CString& operator=(const CString& other);
  CString& operator=(LPCSTR text);

  CString& operator+=(const CString& other);
  CString& operator+=(LPCSTR text);
  CString& operator+=(char ch);
  friend CString operator+(const CString& a, const CString& b);
  friend CString operator+(const CString& a, LPCSTR b);
  friend CString operator+(LPCSTR a, const CString& b);

  // Byte-wise, case-sensitive comparison.
  bool operator==(const CString& other) const;
  bool operator==(LPCSTR text) const;
  bool operator!=(const CString& other) const { return !(*this == other); }
  bool operator!=(LPCSTR text) const { return !(*this == text); }

  int GetLength() const { return m_length; }
  bool IsEmpty() const { return m_length == 0; }
  operator LPCSTR() const { return m_data; }
  char operator[](int index) const { return m_data[index]; }

  // Index of the last `ch`, or -1.
  int ReverseFind(char ch) const;
  // The first `count` characters (all of them when count exceeds the length).
  CString Left(int count) const;

  // A writable buffer of at least `minLength` characters plus a NUL; the text
  // is then re-measured up to its first NUL by ReleaseBuffer.
  LPSTR GetBuffer(int minLength);
  void ReleaseBuffer();

  // Loads a string resource; false (and "") when it cannot be loaded.
  BOOL LoadString(UINT id);

 private:
  void Assign(LPCSTR text, int length);
  void Append(LPCSTR text, int length);
  void Reserve(int capacity);

  char* m_data;
  int m_length;
  int m_capacity;
};
