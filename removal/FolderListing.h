// The entries of one folder, listed by the folder's full path (so the listing
// does not depend on the current directory), without "." and "..".
#pragma once

#include "platform/Afx.h"

class CFolderListing {
 public:
  CFolderListing() : m_find(INVALID_HANDLE_VALUE), m_pending(false), m_complete(false) {}
  ~CFolderListing() { Close(); }
  CFolderListing(const CFolderListing&) = delete;
  CFolderListing& operator=(const CFolderListing&) = delete;

  // Starts listing `folder`; false when no listing can be started.
  bool Open(const CString& folder);
  // The next entry; false after the last one or when the listing broke off.
  bool Next(WIN32_FIND_DATAA& entry);
  // True once Next has run past the last entry, false while entries may be
  // missing (not started, not finished, or broken off).
  bool Complete() const { return m_complete; }
  void Close();

 private:
  HANDLE m_find;
  WIN32_FIND_DATAA m_entry;
  bool m_pending;  // m_entry holds an entry not yet handed out
  bool m_complete;
};

// True for an entry that is a folder.
inline bool IsFolder(const WIN32_FIND_DATAA& entry) {
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
