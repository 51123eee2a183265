// Calls that older Windows versions lack, looked up when they are made, so
// that the program still starts there. Each answers as the Win32 call does;
// where this Windows lacks the call, it fails as stated.
#pragma once

#include "platform/Win32.h"

// GetLongPathNameW (Windows 2000 on); else 0 with ERROR_CALL_NOT_IMPLEMENTED.
DWORD LongPathName(LPCWSTR path, LPWSTR buffer, DWORD size);
// GetSystemWow64DirectoryA (XP on); else 0 with ERROR_CALL_NOT_IMPLEMENTED,
// as 32-bit Windows answers it.
UINT SystemWow64Directory(LPSTR buffer, UINT size);
// SHGetFolderPathA (Windows 2000 on) for the current user, into a MAX_PATH
// buffer; before, SHGetSpecialFolderPathA, with E_FAIL for any failure.
HRESULT FolderPath(int csidl, LPSTR path);
// The Toolhelp calls (Windows 2000 on): CreateToolhelp32Snapshot, else
// INVALID_HANDLE_VALUE with ERROR_CALL_NOT_IMPLEMENTED; Process32FirstW,
// Process32NextW and Module32FirstW, else FALSE with that error.
HANDLE ToolhelpSnapshot(DWORD flags, DWORD processId);
BOOL FirstProcess(HANDLE snapshot, PROCESSENTRY32W* entry);
BOOL NextProcess(HANDLE snapshot, PROCESSENTRY32W* entry);
BOOL FirstModule(HANDLE snapshot, MODULEENTRY32W* entry);
// QueryFullProcessImageNameW (Vista on), in Win32 form; else FALSE with
// ERROR_CALL_NOT_IMPLEMENTED.
BOOL FullProcessImageName(HANDLE process, LPWSTR name, DWORD* size);
// GetFinalPathNameByHandleW (Vista on) with VOLUME_NAME_DOS: the path of an
// open file or folder through every link, "\\?\" first; else 0 with
// ERROR_CALL_NOT_IMPLEMENTED.
DWORD FinalPathName(HANDLE file, LPWSTR buffer, DWORD size);
// ntdll's file calls, which every NT version has but no import library of
// the program's names: NtCreateFile (no allocation size, no extended
// attributes), NtQueryDirectoryFile (no event, no APC, no
// pattern), NtQueryInformationFile and NtSetInformationFile, and NtDeleteKey; else
// STATUS_NOT_IMPLEMENTED.
// The Win32 error a failed ntdll call's status stands for, as the last error.
void SetLastErrorOf(NTSTATUS status);
NTSTATUS CreateFileNative(HANDLE* file, ACCESS_MASK access, OBJECT_ATTRIBUTES* attributes,
                          IO_STATUS_BLOCK* status, ULONG share, ULONG disposition, ULONG options);
// `restart`: the listing starts again at the folder's first entry.
NTSTATUS QueryDirectoryNative(HANDLE folder, IO_STATUS_BLOCK* status, void* buffer, ULONG size,
                              FILE_INFORMATION_CLASS what, bool restart);
NTSTATUS QueryInformationNative(HANDLE file, IO_STATUS_BLOCK* status, void* buffer, ULONG size,
                                FILE_INFORMATION_CLASS what);
NTSTATUS SetInformationNative(HANDLE file, IO_STATUS_BLOCK* status, void* buffer, ULONG size,
                              FILE_INFORMATION_CLASS what);
// NtDeleteKey: deletes the key the handle holds, a registry link as the
// link when it was opened as one (REG_OPTION_OPEN_LINK); RegDeleteKey would
// open the name again and follow it.
NTSTATUS DeleteKeyNative(HKEY key);
// ProcessIdToSessionId (Windows 2000 on); else FALSE with
// ERROR_CALL_NOT_IMPLEMENTED.
BOOL SessionOfProcess(DWORD processId, DWORD* session);
