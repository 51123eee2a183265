// Whether Windows, starting, has the drive of a path: a share, a network drive
// or a drive letter given in this logon (SUBST) is not there when the deletes
// left to the restart are carried out.
#pragma once

#include "removal/WidePath.h"

// `path` is in the "\\?\" form.
bool OnDriveAtBoot(const CWidePath& path);
