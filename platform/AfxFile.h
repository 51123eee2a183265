// A file opened by path, and its status record. Failures are results, not
// exceptions.
#pragma once

#include "Win32.h"

struct CFileStatus {
  DWORD m_size;
  BYTE m_attribute;  // the file's attribute bits; 0 = normal
  char m_szFullName[MAX_PATH];
};

class CFile {
 public:
  enum OpenFlags { modeRead = 0x0000, shareCompat = 0x0000 };

  CFile() : m_hFile(INVALID_HANDLE_VALUE) { m_path[0] = '\0'; }
  ~CFile() { Close(); }
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // Opens for reading (the only mode the program uses); `error` is unused.
  BOOL Open(LPCSTR path, UINT flags, void* error = NULL);
  BOOL GetStatus(CFileStatus& status) const;
  void Close();
  // Writes the status record's attributes back to the file at `path`.
  static BOOL SetStatus(LPCSTR path, const CFileStatus& status);

 private:
  HANDLE m_hFile;
  char m_path[MAX_PATH];
};
