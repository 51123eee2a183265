#include "location/FolderIdentity.h"

#include "location/NewerWindowsCalls.h"

namespace {

// Errors that say nothing is at that name now (a missing folder, an empty
// drive, a server that does not answer): nothing there can be erased.
bool IsAbsent(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_INVALID_NAME || error == ERROR_BAD_PATHNAME || error == ERROR_NOT_READY ||
         error == ERROR_BAD_NETPATH || error == ERROR_BAD_NET_NAME;
}

// The final path of an open folder without its "\\?\" (or "\\?\UNC\")
// prefix, in UTF-8; "" when Windows cannot give it.
CString FinalPath(HANDLE opened) {
  WCHAR wide[MAX_PATH + 8];
  DWORD length = FinalPathName(opened, wide, MAX_PATH + 8);
  if (length == 0 || length >= MAX_PATH + 8) return "";
  CString path = CWidePath(wide).Utf8();
  if (path.Left(8) == "\\\\?\\UNC\\") return "\\" + CString((LPCSTR)path + 7);
  if (path.Left(4) == "\\\\?\\") return (LPCSTR)path + 4;
  return path;
}

}  // namespace

IdentityLookup IdentifyFolder(const CWidePath& path, FolderIdentity& identity, bool askFinal) {
  // No access is asked for, so that any folder opens; the backup flag lets a
  // folder be opened at all. By name, to read what it is only.
  HANDLE opened =
      CreateFileW(path.Text(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
  if (opened == INVALID_HANDLE_VALUE) {
    return IsAbsent(GetLastError()) ? kNoSuchFolder : kIdentityUnknown;
  }
  BY_HANDLE_FILE_INFORMATION info;
  BOOL read = GetFileInformationByHandle(opened, &info);
  identity.finalPath = read && askFinal ? FinalPath(opened) : "";
  CloseHandle(opened);
  if (!read) return kIdentityUnknown;
  identity.volume = info.dwVolumeSerialNumber;
  identity.indexHigh = info.nFileIndexHigh;
  identity.indexLow = info.nFileIndexLow;
  return kIdentityKnown;
}
