// The one header through which the logic reaches the Win32 API. On Windows it
// is the real thing; on the host it is the subset the program calls, served by
// the simulated machine.
#pragma once

#ifdef _WIN32
#include <shlobj.h>
#include <windows.h>
// After windows.h, which they need.
#include <restartmanager.h>
#include <tlhelp32.h>
#include <winternl.h>
// ntdll's answers that the program tells apart (ntstatus.h clashes with windows.h).
#define STATUS_NO_MORE_FILES ((NTSTATUS)0x80000006L)
#define STATUS_NOT_IMPLEMENTED ((NTSTATUS)0xC0000002L)
#define STATUS_NOT_A_DIRECTORY ((NTSTATUS)0xC0000103L)
#define STATUS_REPARSE_POINT_NOT_RESOLVED ((NTSTATUS)0xC0000280L)
#define STATUS_OBJECT_NAME_NOT_FOUND ((NTSTATUS)0xC0000034L)
#define STATUS_NAME_TOO_LONG ((NTSTATUS)0xC0000106L)
#define STATUS_DELETE_PENDING ((NTSTATUS)0xC0000056L)
#define STATUS_DIRECTORY_NOT_EMPTY ((NTSTATUS)0xC0000101L)
#define STATUS_OBJECT_NAME_NOT_FOUND ((NTSTATUS)0xC0000034L)
#define STATUS_STOPPED_ON_SYMLINK ((NTSTATUS)0x8000002DL)
#define STATUS_UNSUCCESSFUL ((NTSTATUS)0xC0000001L)
// Windows 10 1809 on; winternl.h does not name it.
#define FileDispositionInformationEx ((FILE_INFORMATION_CLASS)64)
#define FILE_DISPOSITION_DELETE 0x00000001
#define FILE_DISPOSITION_POSIX_SEMANTICS 0x00000002
#include <wtsapi32.h>
#else
#include "sim/HostWin32.h"
#endif
