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
// %WINDIR%\Logs, made when missing: where they go when the folder named fails.
CWidePath WindowsLogs();
