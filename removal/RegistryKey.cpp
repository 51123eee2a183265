#include "removal/RegistryKey.h"

LONG CRegistryKey::Open(HKEY parent, LPCSTR subKey, REGSAM access) {
  HKEY opened = NULL;
  const LONG result = RegOpenKeyExA(parent, subKey, 0, access, &opened);
  if (result != ERROR_SUCCESS) return result;
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
  CRegistryKey key;
  LONG result = key.Open(m_key, name, KEY_READ | KEY_WRITE);
  if (result != ERROR_SUCCESS) return result;

  // Index 0 each time: the key just deleted is no longer listed.
  char subKey[256];
  DWORD length = sizeof subKey;
  FILETIME lastWrite;
  while (RegEnumKeyExA(key.m_key, 0, subKey, &length, NULL, NULL, NULL, &lastWrite) ==
         ERROR_SUCCESS) {
    // The first failure ends the delete; `key` closes on the way out.
    result = key.DeleteKeyTree(subKey);
    if (result != ERROR_SUCCESS) return result;
    length = sizeof subKey;
  }
  key.Close();
  return RegDeleteKeyA(m_key, name);
}
