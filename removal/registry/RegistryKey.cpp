#include "removal/registry/RegistryKey.h"

#include <cwchar>

namespace {

// What a key that is listed but cannot be found below its parent answers.
const LONG kListedButNotFound = ERROR_CANTOPEN;

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

LONG CRegistryKey::DeleteKeyTree(LPCSTR name) {
  WCHAR wide[256];
  if (MultiByteToWideChar(CP_ACP, 0, name, -1, wide, 256) <= 0) return ERROR_INVALID_PARAMETER;
  return DeleteKeyTree(wide);
}

LONG CRegistryKey::DeleteKeyTree(LPCWSTR name) {
  CRegistryKey key;
  LONG result = key.Open(m_key, name, KEY_READ | KEY_WRITE);
  if (result != ERROR_SUCCESS) return result;

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
    result = key.DeleteKeyTree(subKey);
    if (result == ERROR_FILE_NOT_FOUND) {
      wcscpy(notFound, subKey);
    } else if (result != ERROR_SUCCESS) {
      return result;
    }
    length = 256;
  }
  key.Close();
  return RegDeleteKeyW(m_key, name);
}
