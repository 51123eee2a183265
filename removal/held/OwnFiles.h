// Where the program writes files of its own (the log, the registry backup):
// only into a folder that no account but SYSTEM, Administrators,
// TrustedInstaller and the running account may change, from the drive's
// root down, held open as itself, so that what is made or opened relative to
// it lands there and nowhere a pupil chose.
#pragma once

#include "removal/held/HeldEntry.h"

// Holds in `folder` the folder of the full path `file` when it is such a
// folder, and gives in `name` the last part of `file`.
bool HoldTrustedFolderOf(const CWidePath& file, CHeldEntry& folder, CWidePath& name);
// Whether `file`, opened as itself relative to `folder` by `name`, lies at
// that name: Wine follows a link even so, and its final path then shows
// where the link led. True where Windows cannot tell (before Vista), where
// such an open is never followed.
bool LiesAtName(const CHeldEntry& folder, const CHeldEntry& file, const CWidePath& name);
// %WINDIR%\Logs, made when missing: where they go when the folder named fails.
CWidePath WindowsLogs();
