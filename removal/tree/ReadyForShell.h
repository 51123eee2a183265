// Before a folder goes to the shell's delete. The shells of Windows 2000/XP
// follow a junction inside the folder and delete what lies at its target, and
// so does Wine with a symbolic link: every link inside is therefore removed
// first, as a link; its target is never entered or changed. And the shell
// works in MAX_PATH buffers: an entry nested deeper than that is out of its
// reach (Wine's shell then even lists the current folder instead).
#pragma once

#include "removal/WidePath.h"

// Removes every junction and symbolic link at any depth inside `folder`.
// False when one could not be removed, a folder inside could not be listed
// whole (a link may be left in it), or an entry's path is past MAX_PATH: then
// the folder must not go to the shell.
bool ReadyForShell(const CWidePath& folder);
