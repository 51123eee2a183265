#include "removal/registry/RegistryKey.h"

#include <cwchar>

#include "location/NewerWindowsCalls.h"
#include "removal/WidePath.h"

namespace {

// What a key that is listed but cannot be found below its parent answers.
const LONG kListedButNotFound = ERROR_CANTOPEN;
// Listing, reading, and deleting the key itself.
const REGSAM kDeleteAccess = KEY_READ | KEY_WRITE | DELETE;

}  // namespace

LONG CRegistryKey::Open(HKEY parent, LPCSTR subKey, REGSAM access) {
  HKEY opened = NULL;
  const LONG result = RegOpenKeyExA(parent, subKey, 0, access, &opened);
  return Take(result, opened);
}

LONG CRegistryKey::Open(HKEY parent, LPCWSTR subKey, REGSAM access) {
  HKEY opened = NULL;
  const LONG result = RegOpenKeyExW(parent, subKey, 0, access, &opened);
  return Take(result, opened);
}

LONG CRegistryKey::OpenAsItself(HKEY parent, LPCWSTR subKey, REGSAM access) {
  HKEY opened = NULL;
  const LONG result = RegOpenKeyExW(parent, subKey, REG_OPTION_OPEN_LINK, access, &opened);
  return Take(result, opened);
}

bool CRegistryKey::IsLink() const {
  DWORD type = 0;
  return RegQueryValueExW(m_key, L"SymbolicLinkValue", NULL, &type, NULL, NULL) == ERROR_SUCCESS &&
         type == REG_LINK;
}

LONG CRegistryKey::DeleteHeld() {
  const NTSTATUS status = DeleteKeyNative(m_key);
  if (status >= 0) return ERROR_SUCCESS;
  SetLastErrorOf(status);
  return LONG(GetLastError());
}

LONG CRegistryKey::DeleteKey(LPCWSTR name, bool& link) {
  CRegistryKey key;
  const LONG result = key.OpenAsItself(m_key, name, kDeleteAccess);
  if (result != ERROR_SUCCESS) return result;
  link = key.IsLink();
  return key.DeleteHeld();
}

LONG CRegistryKey::Take(LONG opening, HKEY opened) {
  if (opening != ERROR_SUCCESS) return opening;
  const LONG closed = Close();
  m_key = opened;
  return closed;
}

LONG CRegistryKey::Close() {
  if (m_key == NULL) return ERROR_SUCCESS;
  const LONG result = RegCloseKey(m_key);
  m_key = NULL;
  return result;
}

LONG CRegistryKey::DeleteKeyTree(LPCSTR name, CStringArray& links) {
  WCHAR wide[256];
  if (MultiByteToWideChar(CP_ACP, 0, name, -1, wide, 256) <= 0) return ERROR_INVALID_PARAMETER;
  return DeleteKeyTree(wide, links);
}

LONG CRegistryKey::DeleteKeyTree(LPCWSTR name, CStringArray& links, const CString& above) {
  CRegistryKey key;
  LONG result = key.OpenAsItself(m_key, name, kDeleteAccess);
  if (result != ERROR_SUCCESS) return result;
  const CString path = (above.IsEmpty() ? CString() : above + "\\") + CWidePath(name).Utf8();
  if (key.IsLink()) {
    links.Add(path);
    return key.DeleteHeld();
  }

  // Index 0 each time: the key just deleted is no longer listed. A key that
  // answered "not found" and is listed again stays: that ends the delete.
  WCHAR subKey[256];
  WCHAR notFound[256] = {0};
  DWORD length = 256;
  FILETIME lastWrite;
  while (RegEnumKeyExW(key.m_key, 0, subKey, &length, NULL, NULL, NULL, &lastWrite) ==
         ERROR_SUCCESS) {
    if (wcscmp(subKey, notFound) == 0) return kListedButNotFound;
    // The first failure ends the delete; `key` closes on the way out.
    result = key.DeleteKeyTree(subKey, links, path);
    if (result == ERROR_FILE_NOT_FOUND) {
      wcscpy(notFound, subKey);
    } else if (result != ERROR_SUCCESS) {
      return result;
    }
    length = 256;
  }
  return key.DeleteHeld();
}
