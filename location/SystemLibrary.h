// DLLs loaded at run time come from the system folder alone: never from the
// program's own folder (a download folder, a USB stick) or the current one,
// where someone could have put a DLL of the same name for it to run.
#pragma once

#include "platform/Win32.h"

// First thing at start: every DLL loaded from then on, and every DLL those
// load, is looked for in the system folder alone (SetDefaultDllDirectories:
// Windows 8 on, Vista and 7 with KB2533623; elsewhere nothing changes).
void LoadFromSystemFolderOnly();
// The system DLL `name` ("wtsapi32.dll") from the system folder:
// LoadLibraryExW with LOAD_LIBRARY_SEARCH_SYSTEM32 where this Windows has
// that flag, else by its full path there. NULL where it cannot be loaded.
HMODULE LoadSystemLibrary(LPCWSTR name);
