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
#define STATUS_NAME_TOO_LONG ((NTSTATUS)0xC0000106L)
#include <wtsapi32.h>
#else
#include "sim/HostWin32.h"
#endif
