#include "location/FolderIdentity.h"

namespace {

// Errors that say nothing is at that name now (a missing folder, an empty
// drive, a server that does not answer): nothing there can be erased.
bool IsAbsent(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_INVALID_NAME || error == ERROR_BAD_PATHNAME || error == ERROR_NOT_READY ||
         error == ERROR_BAD_NETPATH || error == ERROR_BAD_NET_NAME;
}

}  // namespace

IdentityLookup IdentifyFolder(const CString& path, FolderIdentity& identity) {
  // No access is asked for, so that any folder opens; the backup flag lets a
  // folder be opened at all.
  HANDLE opened = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
  if (opened == INVALID_HANDLE_VALUE) {
    return IsAbsent(GetLastError()) ? kNoSuchFolder : kIdentityUnknown;
  }
  BY_HANDLE_FILE_INFORMATION info;
  BOOL read = GetFileInformationByHandle(opened, &info);
  CloseHandle(opened);
  if (!read) return kIdentityUnknown;
  identity.volume = info.dwVolumeSerialNumber;
  identity.indexHigh = info.nFileIndexHigh;
  identity.indexLow = info.nFileIndexLow;
  return kIdentityKnown;
}
