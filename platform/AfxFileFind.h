// File finding; the program uses it as its existence test.
#pragma once

#include "Win32.h"

class CFileFind {
 public:
  CFileFind() : m_hFind(INVALID_HANDLE_VALUE) {}
  ~CFileFind() { Close(); }
  CFileFind(const CFileFind&) = delete;
  CFileFind& operator=(const CFileFind&) = delete;

  // True when at least one file or folder matches `name` (a path or pattern).
  BOOL FindFile(LPCSTR name = "*.*");
  void Close();

 private:
  HANDLE m_hFind;
};
