// The delete the program does itself where the shell cannot take a folder
// whole (an entry past MAX_PATH, a file held open): by "\\?\" paths, which
// reach every depth, one entry at a time.
#pragma once

#include "removal/WidePath.h"

// Deletes all of `folder` that can go now: files (read-only ones too), each
// folder after its contents, and a junction or symbolic link as a link, never
// entered. True when `folder` is gone; else what is left is what could not go. A
// `folder` that is itself a link is left whole (false).
bool DeleteEntryByEntry(const CWidePath& folder);
