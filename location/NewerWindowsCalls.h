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
// ProcessIdToSessionId (XP on); else FALSE with ERROR_CALL_NOT_IMPLEMENTED.
BOOL ProcessSession(DWORD processId, DWORD* session);
