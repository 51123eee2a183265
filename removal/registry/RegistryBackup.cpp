#include "removal/registry/RegistryBackup.h"

#include "removal/registry/RegistryKey.h"
#include "removal/restart/AdministratorsOnlyDescriptor.h"

namespace {

const WCHAR kByteOrderMark = 0xFEFF;
// Registry names: values up to 16,383 characters, keys up to 255.
const DWORD kValueNameSize = 16384;
const DWORD kKeyNameSize = 256;
// Where regedit wraps a hex line: once it has this many characters.
const int kHexLineLength = 77;

LONG Found(LONG result) { return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result; }

// Registry names differ in case only where letters do; `ascii` is letters.
bool SameName(LPCWSTR name, LPCSTR ascii) {
  for (; *ascii; ++name, ++ascii)
    if ((*name | 0x20) != (WCHAR)(*ascii | 0x20)) return false;
  return *name == 0;
}

// A text's UTF-16 unit `i`.
WCHAR Unit(const BYTE* data, DWORD i) { return (WCHAR)(data[2 * i] | data[2 * i + 1] << 8); }

// A string regedit writes in quotes and reads back byte for byte: ends in
// its one NUL and holds no line break.
bool IsPlainString(const BYTE* data, DWORD size) {
  const DWORD length = size / 2;
  if (size % 2 || length == 0 || Unit(data, length - 1) != 0) return false;
  for (DWORD i = 0; i + 1 < length; ++i)
    if (Unit(data, i) == 0 || Unit(data, i) == L'\r' || Unit(data, i) == L'\n') return false;
  return true;
}

}  // namespace

CRegistryBackup::CRegistryBackup() : m_keys(false) {
  Put(kByteOrderMark);
  Put("Windows Registry Editor Version 5.00\r\n\r\n");
}

LONG CRegistryBackup::AddTree(HKEY parent, LPCWSTR subKey, const CWidePath& name) {
  CRegistryKey key;
  const LONG result = key.OpenAsItself(parent, subKey, KEY_READ);
  if (result != ERROR_SUCCESS) return result;
  // A link is deleted as a link: what it leads to is no part of the product.
  return key.IsLink() ? ERROR_SUCCESS : AddOpenTree(key.m_key, name);
}

LONG CRegistryBackup::AddOpenTree(HKEY key, const CWidePath& name) {
  LONG result = AddKey(key, name, NULL);
  WCHAR child[kKeyNameSize];
  for (DWORD index = 0; result == ERROR_SUCCESS; ++index) {
    DWORD length = kKeyNameSize;
    FILETIME lastWrite;
    result = RegEnumKeyExW(key, index, child, &length, NULL, NULL, NULL, &lastWrite);
    if (result == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    CWidePath childName;
    if (result == ERROR_SUCCESS && !childName.Join(name, child))
      result = ERROR_FILENAME_EXCED_RANGE;
    CRegistryKey below;
    // One gone since it was listed has nothing left to keep.
    if (result == ERROR_SUCCESS) result = Found(below.OpenAsItself(key, child, KEY_READ));
    // The removal opens every key below to delete it; one this account may
    // not read stays, and so does every key above it.
    if (result == ERROR_ACCESS_DENIED) {
      m_leftOut.Add(childName.Utf8());
      result = ERROR_SUCCESS;
    } else if (result == ERROR_SUCCESS && below.m_key != NULL && !below.IsLink()) {
      result = AddOpenTree(below.m_key, childName);
    }
  }
  return result;
}

LONG CRegistryBackup::AddKey(HKEY key, const CWidePath& name, LPCSTR only) {
  WCHAR* valueName = new WCHAR[kValueNameSize];
  // A key of the tree is written with no values too: it is deleted all the same.
  bool started = only == NULL;
  if (started) StartKey(name);
  LONG result = ERROR_SUCCESS;
  for (DWORD index = 0; result == ERROR_SUCCESS; ++index) {
    DWORD nameLength = kValueNameSize, type = 0, size = 0;
    result = RegEnumValueW(key, index, valueName, &nameLength, NULL, &type, NULL, &size);
    if (result != ERROR_SUCCESS || (only && !SameName(valueName, only))) continue;
    BYTE* data = new BYTE[size + 1];
    nameLength = kValueNameSize;
    result = RegEnumValueW(key, index, valueName, &nameLength, NULL, &type, data, &size);
    if (result == ERROR_SUCCESS) {
      if (!started) StartKey(name);
      started = true;
      const int lineStart = m_text.GetLength();
      if (nameLength == 0) {
        Put('@');
      } else {
        Put('"');
        for (DWORD i = 0; i < nameLength; ++i) PutEscaped(valueName[i]);
        Put('"');
      }
      Put('=');
      AddData(type, data, size, lineStart);
      Put("\r\n");
    }
    delete[] data;
  }
  delete[] valueName;
  if (started) Put("\r\n");
  if (result == ERROR_NO_MORE_ITEMS) result = started ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  return result;
}

void CRegistryBackup::StartKey(const CWidePath& name) {
  Put('[');
  m_text.Append(name);
  Put("]\r\n");
  m_keys = true;
}

void CRegistryBackup::AddData(DWORD type, BYTE* data, DWORD size, int lineStart) {
  // Texts in UTF-16 LE, as the file holds them, whatever the width of WCHAR.
  if ((type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) &&
      size % sizeof(WCHAR) == 0) {
    size /= sizeof(WCHAR);
    for (DWORD i = 0; i < size; ++i) {
      const WCHAR unit = ((const WCHAR*)data)[i];
      data[2 * i] = (BYTE)unit;
      data[2 * i + 1] = (BYTE)(unit >> 8);
    }
    size *= 2;
  }
  if (type == REG_SZ && IsPlainString(data, size)) {
    Put('"');
    for (DWORD i = 0; i + 1 < size / 2; ++i) PutEscaped(Unit(data, i));
    Put('"');
    return;
  }
  if (type == REG_DWORD && size == sizeof(DWORD)) {
    Put("dword:");
    PutHex(*(const DWORD*)data, 8);
    return;
  }
  Put("hex");
  if (type != REG_BINARY) {
    Put('(');
    PutHex(type, 1);
    Put(')');
  }
  Put(':');
  for (DWORD i = 0; i < size; ++i) {
    PutHex(data[i], 2);
    if (i + 1 == size) break;
    Put(',');
    if (m_text.GetLength() - lineStart >= kHexLineLength) {
      Put("\\\r\n  ");
      lineStart = m_text.GetLength() - 2;
    }
  }
}

void CRegistryBackup::Put(LPCSTR ascii) {
  while (*ascii) Put((WCHAR)*ascii++);
}

void CRegistryBackup::PutHex(DWORD number, int digits) {
  if (digits > 1 || number > 15) PutHex(number >> 4, digits - 1);
  Put((WCHAR) "0123456789abcdef"[number & 15]);
}

void CRegistryBackup::PutEscaped(WCHAR character) {
  if (character == L'\\' || character == L'"') Put(L'\\');
  Put(character);
}

DWORD CRegistryBackup::Save(const CHeldEntry& folder, const CWidePath& name) const {
  CHeldEntry file;
  // It holds the school's licence, and a .reg file opened is run by whoever
  // opens it: nobody but administrators may read or change it.
  if (!file.CreateIn(folder, name.Text(), name.GetLength(), false,
                     FILE_WRITE_DATA | FILE_WRITE_ATTRIBUTES | DELETE,
                     AdministratorsOnlyDescriptor()))
    return GetLastError();
  // UTF-16 units, whatever the width of WCHAR.
  const DWORD length = m_text.GetLength(), size = length * 2;
  WORD* units = new WORD[length];
  for (DWORD i = 0; i < length; ++i) units[i] = (WORD)m_text[i];
  DWORD written = 0, error = ERROR_SUCCESS;
  if (!WriteFile(file.Handle(), units, size, &written, NULL)) {
    error = GetLastError();
  } else if (written != size) {
    error = ERROR_DISK_FULL;
  }
  delete[] units;
  bool posix = true;
  // Half a backup would read as the whole of it.
  if (error != ERROR_SUCCESS) file.Delete(posix);
  return error;
}
