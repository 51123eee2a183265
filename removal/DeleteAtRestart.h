// What could not be deleted now is left to Windows: MoveFileExW with
// MOVEFILE_DELAY_UNTIL_REBOOT asks it to delete a path when it next starts,
// before any program can hold it.
#pragma once

#include "platform/Afx.h"
#include "removal/WidePath.h"

enum RestartDelete {
  kNothingLeft,       // the path is gone already
  kDeletedAtRestart,  // every piece of it is scheduled
  kNotScheduled,      // a piece could not be (no administrator, a folder that
                      // cannot be listed whole, a name too long)
};

// Schedules `path` and everything in it: files first, deepest first, each
// folder after its contents. A link (junction or symbolic link) is scheduled
// as a link; its target is never entered.
RestartDelete DeleteAtRestart(const CWidePath& path);
