// Folders that Windows or other programs need. The install folder is erased
// whole, so none of these may ever become it, however it is spelt.
#pragma once

#include "platform/Afx.h"

// `folder` placed where Windows would find it now: a relative folder (also
// "\name" or "X:name") is joined to the current directory; a full one and ""
// are kept as they are. False when the current directory cannot be read.
bool FullFolderPath(const CString& folder, CString& full);

// True when erasing `folder` would erase a drive root, the Windows or system
// folder, the Program Files folder or the installer caches' parent, a user
// profile or the folder holding the profiles, a desktop or Start Menu folder,
// or a folder above any of them. Case, "/" for "\", doubled and trailing
// separators do not matter; a relative folder is judged where it is now. ""
// (no install folder) is not protected. When the system cannot name one of
// those folders, or a relative folder cannot be placed, every folder counts
// as protected.
bool IsProtectedFolder(const CString& folder);
