#include "removal/paths/FolderListing.h"

namespace {

// Only the folder itself and its parent are left out: names that merely
// begin with a dot are ordinary entries.
bool IsSelfOrParent(LPCWSTR name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

}  // namespace

bool CFolderListing::Open(const CWidePath& folder) {
  Close();
  m_complete = false;
  CWidePath pattern;
  if (!pattern.Join(folder, L"*")) return false;
  // By name, to look only: what is acted on is opened again as itself.
  m_find = FindFirstFileW(pattern.Text(), &m_entry);
  m_pending = m_find != INVALID_HANDLE_VALUE;
  return m_pending;
}

bool CFolderListing::Next(WIN32_FIND_DATAW& entry) {
  if (m_find == INVALID_HANDLE_VALUE) return false;
  for (;;) {
    if (!m_pending && !FindNextFileW(m_find, &m_entry)) {
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
