// What step 6 is about to delete, in the file regedit itself writes and reads
// back: "Windows Registry Editor Version 5.00", UTF-16LE after a byte-order
// mark, CRLF lines, each key with its values and a blank line after it.
#pragma once

#include "removal/WidePath.h"
#include "removal/held/HeldEntry.h"

class CRegistryBackup {
 public:
  CRegistryBackup();

  // The key `subKey` of `parent`, spelt `name` in the file (its full root
  // name first), with all its values and every key below it. A missing key
  // adds nothing (ERROR_FILE_NOT_FOUND); any other error is the first met,
  // and the backup is then not whole. A key below it that this account may
  // not open is left out (LeftOut): nor can the removal delete it.
  LONG AddTree(HKEY parent, LPCWSTR subKey, const CWidePath& name);
  // The value `value` (letters only) of the open `key` alone, under the
  // key's name; nothing when it is missing (ERROR_FILE_NOT_FOUND).
  LONG AddValue(HKEY key, const CWidePath& name, LPCSTR value) { return AddKey(key, name, value); }
  bool IsEmpty() const { return !m_keys; }
  // The names of the keys left out, in UTF-8, as the file would spell them.
  const CStringArray& LeftOut() const { return m_leftOut; }
  // Writes the new file `name` in the folder held, for SYSTEM and
  // Administrators alone: ERROR_SUCCESS, or the error, and what was written
  // of it is deleted again.
  DWORD Save(const CHeldEntry& folder, const CWidePath& name) const;

 private:
  // AddTree's work on the key opened.
  LONG AddOpenTree(HKEY key, const CWidePath& name);
  // The key with all its values (`only` NULL), or with that one alone when it is there.
  LONG AddKey(HKEY key, const CWidePath& name, LPCSTR only);
  void StartKey(const CWidePath& name);
  // A value's data after its "name=", which begins at `lineStart`.
  void AddData(DWORD type, BYTE* data, DWORD size, int lineStart);
  void Put(LPCSTR ascii);
  void Put(WCHAR character) { m_text.Append(&character, 1); }
  void PutHex(DWORD number, int digits);
  // A character of a quoted name or text, `\` and `"` escaped.
  void PutEscaped(WCHAR character);

  CWidePath m_text;
  bool m_keys;
  CStringArray m_leftOut;
};
