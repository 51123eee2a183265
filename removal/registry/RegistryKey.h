// Holds at most one open registry key and closes it when it takes another or
// is destroyed.
#pragma once

#include "platform/Win32.h"

class CRegistryKey {
 public:
  CRegistryKey() : m_key(NULL) {}
  ~CRegistryKey() { Close(); }
  CRegistryKey(const CRegistryKey&) = delete;
  CRegistryKey& operator=(const CRegistryKey&) = delete;

  // Opens `subKey` under `parent`. On failure returns the error and keeps the
  // key held before; on success closes that key, holds the new one and returns
  // the result of that close.
  LONG Open(HKEY parent, LPCSTR subKey, REGSAM access);
  LONG Open(HKEY parent, LPCWSTR subKey, REGSAM access);
  LONG Close();
  // Deletes the sub-key `name` of the held key with every key below it,
  // depth first; the first error met ends it and is returned. The keys below
  // are named in wide characters, so that names the ANSI code page cannot
  // spell go too; one of them that is listed but answers "not found" stays,
  // and that is an error.
  LONG DeleteKeyTree(LPCSTR name);
  LONG DeleteKeyTree(LPCWSTR name);

  HKEY m_key;

 private:
  // The end of an open: on failure its error, the key held before kept.
  LONG Take(LONG opening, HKEY opened);
};
