// The folders that Windows and other programs need, as this system names
// them now.
#pragma once

#include "platform/Afx.h"

struct SystemFolders {
  CString windows;      // needed with everything inside it and above it
  CStringArray needed;  // each needed with every folder above it
  CString profile;      // the user's profile; every one beside it is a profile too
};

// False when a lookup that this Windows supports failed: the list is then not
// whole. A folder that this Windows version does not have is not listed.
bool FindSystemFolders(SystemFolders& found);
