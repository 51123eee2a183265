#include "removal/FolderListing.h"

#include <cstring>

namespace {

// Only the folder itself and its parent are left out: names that merely
// begin with a dot are ordinary entries.
bool IsSelfOrParent(const char* name) { return strcmp(name, ".") == 0 || strcmp(name, "..") == 0; }

}  // namespace

bool CFolderListing::Open(const CString& folder) {
  Close();
  m_complete = false;
  m_find = FindFirstFileA(folder + "\\*", &m_entry);
  m_pending = m_find != INVALID_HANDLE_VALUE;
  return m_pending;
}

bool CFolderListing::Next(WIN32_FIND_DATAA& entry) {
  if (m_find == INVALID_HANDLE_VALUE) return false;
  for (;;) {
    if (!m_pending && !FindNextFileA(m_find, &m_entry)) {
      m_complete = GetLastError() == ERROR_NO_MORE_FILES;
      return false;
    }
    m_pending = false;
    if (!IsSelfOrParent(m_entry.cFileName)) break;
  }
  entry = m_entry;
  return true;
}

void CFolderListing::Close() {
  if (m_find == INVALID_HANDLE_VALUE) return;
  FindClose(m_find);
  m_find = INVALID_HANDLE_VALUE;
  m_pending = false;
}
