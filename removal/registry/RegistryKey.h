// Holds at most one open registry key and closes it when it takes another or
// is destroyed.
#pragma once

#include "platform/Afx.h"

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
  // As Open, but a registry link named last is opened as itself, not
  // followed: what a pupil may have made of a key they may change.
  LONG OpenAsItself(HKEY parent, LPCWSTR subKey, REGSAM access);
  LONG Close();
  // Whether the held key is a registry link (its SymbolicLinkValue).
  bool IsLink() const;
  // Deletes the held key itself (a link as the link); it must have no sub-keys.
  LONG DeleteHeld();
  // Deletes the sub-key `name` of the held key with every key below it,
  // depth first, each through a handle of its own; a link goes as a link,
  // what it leads to stays, and its path below the held key ("name\...")
  // is added to `links`. The first error met ends it and is returned. The
  // keys below are named in wide characters, so that names the ANSI code
  // page cannot spell go too; one of them that is listed but answers "not
  // found" stays, and that is an error.
  LONG DeleteKeyTree(LPCSTR name, CStringArray& links);
  LONG DeleteKeyTree(LPCWSTR name, CStringArray& links, const CString& above = "");
  // Deletes the sub-key `name` of the held key, which must have no
  // sub-keys, through a handle of its own: a link as the link (`link` set).
  LONG DeleteKey(LPCWSTR name, bool& link);

  HKEY m_key;

 private:
  // The end of an open: on failure its error, the key held before kept.
  LONG Take(LONG opening, HKEY opened);
};
