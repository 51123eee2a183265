// The entries of one folder, listed by the folder's full path (so the listing
// does not depend on the current directory), without "." and "..". Names come
// in wide characters, so that none is lost to the ANSI code page.
#pragma once

#include "removal/WidePath.h"

class CFolderListing {
 public:
  CFolderListing() : m_find(INVALID_HANDLE_VALUE), m_pending(false), m_complete(false) {}
  ~CFolderListing() { Close(); }
  CFolderListing(const CFolderListing&) = delete;
  CFolderListing& operator=(const CFolderListing&) = delete;

  // Starts listing `folder`; false when no listing can be started.
  bool Open(const CWidePath& folder);
  // The next entry; false after the last one or when the listing broke off.
  bool Next(WIN32_FIND_DATAW& entry);
  // True once Next has run past the last entry, false while entries may be
  // missing (not started, not finished, or broken off).
  bool Complete() const { return m_complete; }
  void Close();

 private:
  HANDLE m_find;
  WIN32_FIND_DATAW m_entry;
  bool m_pending;  // m_entry holds an entry not yet handed out
  bool m_complete;
};

// True for an entry that is a folder.
inline bool IsFolder(const WIN32_FIND_DATAW& entry) {
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// True for a junction or a symbolic link, to a folder or to a file: a reparse
// point that names another entry. Deduplicated, cloud, HSM and compressed
// files and folders are reparse points too, but hold their own data. Where
// the system gives no tag (0: Wine), the entry is taken for a link, since
// what lies behind it cannot be told.
inline bool IsLinkTag(DWORD attributes, DWORD tag) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
         (tag == 0 || IsReparseTagNameSurrogate(tag));
}
inline bool IsLink(const WIN32_FIND_DATAW& entry) {
  return IsLinkTag(entry.dwFileAttributes, entry.dwReserved0);
}
