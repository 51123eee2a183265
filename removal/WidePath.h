// A full path in wide characters, so that names the ANSI code page cannot
// spell are reached. Fixed in size like the system's paths: what would not
// fit is refused, as the system refuses it.
#pragma once

#include "platform/Afx.h"

class CWidePath {
 public:
  CWidePath() : m_length(0) { m_text[0] = 0; }

  // The path of an ANSI text; false when it does not convert or fit.
  bool Set(const CString& path);
  // `folder` + "\" + `name`; false when that would not fit.
  bool Join(const CWidePath& folder, LPCWSTR name);
  LPCWSTR Text() const { return m_text; }

 private:
  WCHAR m_text[MAX_PATH];
  int m_length;
};

// `name` in the ANSI code page, for texts the user reads; false when the code
// page cannot spell it exactly (then no ANSI call can name it).
bool ToAnsi(LPCWSTR name, CString& ansi);
