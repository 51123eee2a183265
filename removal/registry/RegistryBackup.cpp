#include "removal/registry/RegistryBackup.h"

#include "removal/registry/RegistryKey.h"

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

// A string regedit writes in quotes and reads back byte for byte: ends in
// its one NUL and holds no line break.
bool IsPlainString(const WCHAR* text, DWORD size) {
  const DWORD length = size / sizeof(WCHAR);
  if (size % sizeof(WCHAR) || length == 0 || text[length - 1] != 0) return false;
  for (DWORD i = 0; i + 1 < length; ++i)
    if (text[i] == 0 || text[i] == L'\r' || text[i] == L'\n') return false;
  return true;
}

}  // namespace

CRegistryBackup::CRegistryBackup() : m_keys(false) {
  Put(kByteOrderMark);
  Put("Windows Registry Editor Version 5.00\r\n\r\n");
}

LONG CRegistryBackup::AddTree(HKEY parent, LPCWSTR subKey, const CWidePath& name) {
  CRegistryKey key;
  LONG result = key.Open(parent, subKey, KEY_READ);
  if (result == ERROR_SUCCESS) result = AddKey(key.m_key, name, NULL);
  WCHAR child[kKeyNameSize];
  for (DWORD index = 0; result == ERROR_SUCCESS; ++index) {
    DWORD length = kKeyNameSize;
    FILETIME lastWrite;
    result = RegEnumKeyExW(key.m_key, index, child, &length, NULL, NULL, NULL, &lastWrite);
    if (result == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    CWidePath childName;
    if (result == ERROR_SUCCESS && !childName.Join(name, child))
      result = ERROR_FILENAME_EXCED_RANGE;
    // One gone since it was listed has nothing left to keep.
    if (result == ERROR_SUCCESS) result = Found(AddTree(key.m_key, child, childName));
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
        PutQuoted(valueName, nameLength);
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

void CRegistryBackup::AddData(DWORD type, const BYTE* data, DWORD size, int lineStart) {
  if (type == REG_SZ && IsPlainString((const WCHAR*)data, size)) {
    PutQuoted((const WCHAR*)data, size / sizeof(WCHAR) - 1);
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

void CRegistryBackup::PutQuoted(LPCWSTR text, DWORD length) {
  Put('"');
  for (DWORD i = 0; i < length; ++i) {
    if (text[i] == L'\\' || text[i] == L'"') Put(L'\\');
    Put(text[i]);
  }
  Put('"');
}

DWORD CRegistryBackup::Save(const CWidePath& file) const {
  const HANDLE handle =
      CreateFileW(file.Text(), GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
  if (handle == INVALID_HANDLE_VALUE) return GetLastError();
  const DWORD size = m_text.GetLength() * sizeof(WCHAR);
  DWORD written = 0, error = ERROR_SUCCESS;
  if (!WriteFile(handle, m_text.Text(), size, &written, NULL)) {
    error = GetLastError();
  } else if (written != size) {
    error = ERROR_DISK_FULL;
  }
  if (!CloseHandle(handle) && error == ERROR_SUCCESS) error = GetLastError();
  // Half a backup would read as the whole of it.
  if (error != ERROR_SUCCESS) DeleteFileW(file.Text());
  return error;
}
