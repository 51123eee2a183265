// A path in wide characters, so that names the ANSI code page cannot spell
// are reached, of any length the system allows: past MAX_PATH the wide calls
// take it in its "\\?\" form (see Extend).
#pragma once

#include "platform/Afx.h"

class CWidePath {
 public:
  CWidePath();
  // The wide form of an ANSI path: the code page converts every text.
  CWidePath(LPCSTR path);
  CWidePath(const CString& path);
  explicit CWidePath(LPCWSTR path);
  // The wide form of UTF-8 text, the program's form of what the user reads.
  static CWidePath FromUtf8(LPCSTR text);
  CWidePath(const CWidePath& other);
  CWidePath& operator=(const CWidePath& other);
  ~CWidePath();

  // `folder` + "\" + `name` (no second separator after one that ends
  // `folder`); false when that would be longer than any path.
  bool Join(const CWidePath& folder, LPCWSTR name);
  bool Join(const CWidePath& folder, const CWidePath& name) { return Join(folder, name.Text()); }
  // The text with `more` added as it stands.
  CWidePath& Append(const CWidePath& more) { return Append(more.Text(), more.m_length); }
  CWidePath& Append(LPCWSTR text, int length);
  CWidePath operator+(const CWidePath& more) const { return CWidePath(*this).Append(more); }
  // Up to the last separator, which goes too; "" when there is none.
  CWidePath Parent() const;
  // After the last separator; the whole text when there is none.
  CWidePath Name() const;
  // The same path as the wide calls take it past MAX_PATH: made full, then
  // "\\?\C:\..." or "\\?\UNC\server\share\...". False when the system
  // cannot make it full (an empty path, say).
  bool Extend();
  // A path made by Extend in its usual form again.
  CWidePath Unextended() const;

  LPCWSTR Text() const { return m_text; }
  int GetLength() const { return m_length; }
  bool IsEmpty() const { return m_length == 0; }
  WCHAR operator[](int index) const { return m_text[index]; }
  // The same characters, case and all.
  bool operator==(const CWidePath& other) const;
  bool operator!=(const CWidePath& other) const { return !(*this == other); }
  // The path whole in UTF-8: how messages, the failure list and the log carry
  // it, so that a name the code page cannot spell is shown as it is.
  CString Utf8() const;

 private:
  void Reserve(int length);

  WCHAR* m_text;
  int m_length;
  int m_capacity;
};

// `name` in the ANSI code page, for texts the user reads; false when the code
// page cannot spell it exactly (then no ANSI call can name it).
bool ToAnsi(LPCWSTR name, CString& ansi);
