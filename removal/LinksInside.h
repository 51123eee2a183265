// Before a folder goes to the shell: the shells of Windows 2000/XP follow a
// junction inside the folder and delete what lies at its target, and so does
// Wine with a symbolic link. Every link inside is therefore removed first, as
// a link; its target is never entered or changed.
#pragma once

#include "removal/WidePath.h"

// Removes every junction and symbolic link at any depth inside `folder`.
// False when one could not be removed, or a folder inside could not be listed
// whole (a link may be left in it): then the folder must not go to the shell.
bool RemoveLinksInside(const CWidePath& folder);
