// The existence test of the removal. A path that cannot be searched for a
// reason other than its absence (access denied) counts as present, so that
// its delete is tried and a failure is reported rather than passed over.
#pragma once

#include "removal/WidePath.h"

// True when a Win32 error says that the path (or a folder on it) is not there.
bool IsNotFoundError(DWORD error);

// True when something matches `path` (a path or a pattern), or when the
// look-up failed for a reason other than there being nothing to find.
bool PathMayExist(const CWidePath& path);
