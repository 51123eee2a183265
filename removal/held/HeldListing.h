// The names in a folder held open (CHeldEntry), listed through its handle, so
// that the listing is of the folder held whatever its name now leads to.
#pragma once

#include "removal/held/HeldEntry.h"

class CHeldListing {
 public:
  // The folder must be open with FILE_LIST_DIRECTORY.
  explicit CHeldListing(const CHeldEntry& folder)
      : m_folder(folder.Handle()),
        m_next(NULL),
        m_entry(NULL),
        m_started(false),
        m_complete(false) {}
  // The next entry, without "." and ".."; `name` points into the listing and
  // holds `length` characters, no NUL; `attributes` are as listed. False
  // after the last one or when the listing broke off.
  bool Next(LPCWSTR& name, int& length, DWORD& attributes);
  // The times of the entry Next gave last, as listed, into `basic`.
  void Times(FILE_BASIC_INFORMATION& basic) const {
    basic.CreationTime = m_entry->CreationTime;
    basic.LastWriteTime = m_entry->LastWriteTime;
  }
  // True once Next has run past the last name.
  bool Complete() const { return m_complete; }

 private:
  HANDLE m_folder;
  const FILE_DIRECTORY_INFORMATION* m_next;   // in m_buffer; NULL when it is used up
  const FILE_DIRECTORY_INFORMATION* m_entry;  // in m_buffer: the one Next gave last
  bool m_started;
  bool m_complete;
  // Room for two entries of the longest name at least, aligned as their
  // 64-bit times need.
  alignas(8) BYTE m_buffer[(sizeof(FILE_DIRECTORY_INFORMATION) + 256 * sizeof(WCHAR)) * 2];
};
