#include "HeldFloor.h"

#include <cstring>

#include "removal/ProductTraces.h"
#include "resource.h"

namespace {

const ULONG kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
const ULONG kOptions =
    FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT;
const ACCESS_MASK kFolderAccess = FILE_LIST_DIRECTORY | DELETE | SYNCHRONIZE;

std::wstring Wide(const char* text) { return std::wstring(text, text + strlen(text)); }

HANDLE OpenTop(const std::wstring& path, ACCESS_MASK access) {
  return CreateFileW(path.c_str(), access, kShare, NULL, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
}

// Opens or makes `name` in the folder `parent` holds.
HANDLE OpenIn(HANDLE parent, LPCWSTR name, ULONG length, ACCESS_MASK access, ULONG disposition,
              ULONG options) {
  const WORD bytes = WORD(length * sizeof(WCHAR));
  UNICODE_STRING text = {bytes, bytes, const_cast<LPWSTR>(name)};
  OBJECT_ATTRIBUTES object = {sizeof object, parent, &text, OBJ_CASE_INSENSITIVE, NULL, NULL};
  IO_STATUS_BLOCK status;
  HANDLE opened = INVALID_HANDLE_VALUE;
  const NTSTATUS result = NtCreateFile(&opened, access | SYNCHRONIZE, &object, &status, NULL, 0,
                                       kShare, disposition, options | kOptions, NULL, 0);
  return NT_SUCCESS(result) ? opened : INVALID_HANDLE_VALUE;
}

// Calls `visit` for each entry of the folder held, but "." and "..".
template <typename Visit>
void List(HANDLE folder, Visit visit) {
  alignas(8) BYTE buffer[sizeof(FILE_DIRECTORY_INFORMATION) + 256 * sizeof(WCHAR)];
  IO_STATUS_BLOCK status;
  while (NT_SUCCESS(NtQueryDirectoryFile(folder, NULL, NULL, NULL, &status, buffer, sizeof buffer,
                                         FileDirectoryInformation, FALSE, NULL, FALSE))) {
    for (const BYTE* at = buffer;;) {
      const FILE_DIRECTORY_INFORMATION* entry =
          reinterpret_cast<const FILE_DIRECTORY_INFORMATION*>(at);
      const ULONG length = entry->FileNameLength / sizeof(WCHAR);
      const bool dots = entry->FileName[0] == L'.' &&
                        (length == 1 || (length == 2 && entry->FileName[1] == L'.'));
      if (!dots) visit(*entry, length);
      if (entry->NextEntryOffset == 0) break;
      at += entry->NextEntryOffset;
    }
  }
}

bool IsFolder(const FILE_DIRECTORY_INFORMATION& entry) {
  return (entry.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ==
         FILE_ATTRIBUTE_DIRECTORY;
}

void Dispose(HANDLE entry) {
  FILE_DISPOSITION_INFORMATION disposition = {TRUE};
  IO_STATUS_BLOCK status;
  NtSetInformationFile(entry, &status, &disposition, sizeof disposition,
                       FileDispositionInformation);
}

void DeleteIn(HANDLE folder) {
  List(folder, [folder](const FILE_DIRECTORY_INFORMATION& entry, ULONG length) {
    const bool inner = IsFolder(entry);
    HANDLE opened = OpenIn(folder, entry.FileName, length,
                           inner ? kFolderAccess : DELETE | SYNCHRONIZE, FILE_OPEN, 0);
    if (opened == INVALID_HANDLE_VALUE) return;
    if (inner) DeleteIn(opened);
    Dispose(opened);
    CloseHandle(opened);
  });
}

void CopyIn(HANDLE from, HANDLE to) {
  List(from, [from, to](const FILE_DIRECTORY_INFORMATION& entry, ULONG length) {
    const bool inner = IsFolder(entry);
    HANDLE source = OpenIn(from, entry.FileName, length,
                           inner ? FILE_LIST_DIRECTORY : FILE_READ_DATA, FILE_OPEN, 0);
    HANDLE made = OpenIn(
        to, entry.FileName, length,
        inner ? FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY : FILE_WRITE_DATA,
        FILE_CREATE, inner ? FILE_DIRECTORY_FILE : FILE_NON_DIRECTORY_FILE);
    if (inner) {
      CopyIn(source, made);
    } else {
      // Read until a read comes short: one read for a file smaller than the buffer.
      static char data[65536];
      DWORD done = sizeof data;
      while (done == sizeof data && ReadFile(source, data, sizeof data, &done, NULL) && done > 0)
        WriteFile(made, data, done, &done, NULL);
    }
    CloseHandle(source);
    CloseHandle(made);
  });
}

INT_PTR CALLBACK MainProc(HWND window, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  std::wstring folder;
  if (FloorFindInstallFolder(folder))
    SetWindowTextW(GetDlgItem(window, IDC_LOCATION), folder.c_str());
  return TRUE;
}

// Everything in `key`, as a text; each key opened once.
void ReadKey(HKEY parent, const std::wstring& name, std::wstring& text) {
  HKEY key;
  if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  text += L"[" + name + L"]\r\n";
  WCHAR entry[256];
  BYTE data[1024];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256, size = sizeof data, type = 0;
    if (RegEnumValueW(key, i, entry, &length, NULL, &type, data, &size) != ERROR_SUCCESS) break;
    text += std::wstring(entry, length) + L"\r\n";
  }
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(key, i, entry, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
    ReadKey(key, std::wstring(entry, length), text);
  }
  RegCloseKey(key);
}

// Deletes the key and everything below it.
void DeleteKey(HKEY parent, const std::wstring& name) {
  HKEY key;
  if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return;
  WCHAR entry[256];
  DWORD length = 256;
  while (RegEnumKeyExW(key, 0, entry, &length, NULL, NULL, NULL, NULL) == ERROR_SUCCESS) {
    DeleteKey(key, std::wstring(entry, length));
    length = 256;
  }
  RegCloseKey(key);
  RegDeleteKeyW(parent, name.c_str());
}

}  // namespace

bool FloorFindInstallFolder(std::wstring& folder) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(kProductKey).c_str(), 0, KEY_QUERY_VALUE, &key) !=
      ERROR_SUCCESS)
    return false;
  WCHAR path[MAX_PATH] = {0};
  DWORD size = sizeof path - sizeof(WCHAR), type = 0;
  const LONG read = RegQueryValueExW(key, Wide(kInstallPathValue).c_str(), NULL, &type,
                                     reinterpret_cast<LPBYTE>(path), &size);
  RegCloseKey(key);
  folder = path;
  return read == ERROR_SUCCESS &&
         GetFileAttributesW((folder + L"\\km2.jar").c_str()) != INVALID_FILE_ATTRIBUTES;
}

void FloorDialog() {
  DialogBoxParamW(NULL, MAKEINTRESOURCEW(IDD_REMOVER_DIALOG), NULL, MainProc, 0);
}

std::wstring FloorSpecialFolder(int csidl) {
  WCHAR path[MAX_PATH] = {0};
  SHGetSpecialFolderPathW(NULL, path, csidl, FALSE);
  return path;
}

bool FloorCopy(const std::wstring& source, const std::wstring& destination) {
  if (!CreateDirectoryW(destination.c_str(), NULL)) return false;
  HANDLE from = OpenTop(source, FILE_LIST_DIRECTORY);
  HANDLE to = OpenTop(destination, FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY);
  const bool opened = from != INVALID_HANDLE_VALUE && to != INVALID_HANDLE_VALUE;
  if (opened) CopyIn(from, to);
  CloseHandle(from);
  CloseHandle(to);
  return opened;
}

bool FloorDelete(const std::wstring& folder) {
  HANDLE top = OpenTop(folder, kFolderAccess);
  if (top == INVALID_HANDLE_VALUE) return false;
  DeleteIn(top);
  Dispose(top);
  CloseHandle(top);
  return true;
}

void FloorDeleteShortcuts(const std::wstring& desktop, const std::wstring& startMenu) {
  for (const char* name : kDesktopShortcuts) DeleteFileW((desktop + L"\\" + Wide(name)).c_str());
  for (const char* name : kStartMenuShortcuts)
    DeleteFileW((startMenu + L"\\" + Wide(name)).c_str());
  FloorDelete(startMenu + L"\\Programs\\Kelmora");
}

void FloorRegistry(const std::wstring& backup) {
  std::wstring text = L"Windows Registry Editor Version 5.00\r\n";
  const std::wstring uninstall = Wide(kUninstallKey);
  ReadKey(HKEY_LOCAL_MACHINE, Wide(kProductKey), text);
  for (const char* entry : kUninstallEntries)
    ReadKey(HKEY_LOCAL_MACHINE, uninstall + L"\\" + Wide(entry), text);
  HANDLE file =
      CreateFileW(backup.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
  DWORD written = 0;
  WriteFile(file, text.data(), DWORD(text.size() * sizeof(WCHAR)), &written, NULL);
  CloseHandle(file);

  HKEY product;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(kProductKey).c_str(), 0, KEY_ALL_ACCESS, &product) ==
      ERROR_SUCCESS) {
    WCHAR name[256];
    DWORD length = 256;
    while (RegEnumKeyExW(product, 0, name, &length, NULL, NULL, NULL, NULL) == ERROR_SUCCESS) {
      DeleteKey(product, std::wstring(name, length));
      length = 256;
    }
    RegDeleteValueA(product, kInstallPathValue);
    RegCloseKey(product);
  }
  HKEY parent;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, uninstall.c_str(), 0, KEY_ALL_ACCESS, &parent) !=
      ERROR_SUCCESS)
    return;
  for (const char* entry : kUninstallEntries) DeleteKey(parent, Wide(entry));
  RegCloseKey(parent);
}
