// Before a folder goes to the shell's delete. The shells of Windows 2000/XP
// follow a junction inside the folder and delete what lies at its target, and
// so does Wine with a symbolic link: every link inside is therefore removed
// first, as a link; its target is never entered or changed. And the shell
// works in MAX_PATH buffers: an entry nested deeper than that is out of its
// reach (Wine's shell then even lists the current folder instead). Only a
// tree that no one but administrators may change goes to it: a pupil's
// folder made a mount point while the shell walks would lead it out.
#pragma once

#include "removal/WidePath.h"

// Removes every junction and symbolic link at any depth inside `folder`.
// False when one could not be removed, a folder inside could not be listed
// whole (a link may be left in it), an entry's path is past MAX_PATH, or
// someone else may change the folder or one inside it: then the folder must
// not go to the shell.
bool ReadyForShell(const CWidePath& folder);
