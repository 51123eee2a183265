#include "removal/held/HeldListing.h"

#include "location/NewerWindowsCalls.h"

bool CHeldListing::Next(LPCWSTR& name, int& length, DWORD& attributes) {
  for (;;) {
    if (m_next == NULL) {
      IO_STATUS_BLOCK status;
      // From the first entry, also where the folder was listed before.
      const NTSTATUS result = QueryDirectoryNative(m_folder, &status, m_buffer, sizeof m_buffer,
                                                   FileDirectoryInformation, !m_started);
      m_started = true;
      m_complete = result == STATUS_NO_MORE_FILES;
      if (!NT_SUCCESS(result)) return false;
      m_next = reinterpret_cast<const FILE_DIRECTORY_INFORMATION*>(m_buffer);
    }
    const FILE_DIRECTORY_INFORMATION* entry = m_entry = m_next;
    m_next = entry->NextEntryOffset == 0
                 ? NULL
                 : reinterpret_cast<const FILE_DIRECTORY_INFORMATION*>(
                       reinterpret_cast<const BYTE*>(entry) + entry->NextEntryOffset);
    name = entry->FileName;
    length = int(entry->FileNameLength / sizeof(WCHAR));
    attributes = entry->FileAttributes;
    // Only the folder itself and its parent are left out.
    const bool dots = name[0] == L'.' && (length == 1 || (length == 2 && name[1] == L'.'));
    if (!dots) return true;
  }
}
