// What could not be deleted now is left to Windows: MoveFileExW with
// MOVEFILE_DELAY_UNTIL_REBOOT asks it to delete a path when it next starts,
// before any program can hold it.
#pragma once

#include "platform/Afx.h"
#include "removal/WidePath.h"

enum RestartDelete {
  kNothingLeft,       // the path is gone already
  kDeletedAtRestart,  // every piece of it is scheduled
  kNotScheduled,      // nothing, or not every piece, could be (no administrator,
                      // a folder that cannot be listed whole or made
                      // administrators' only, a name too long, a drive that
                      // Windows has not at boot)
};

// Schedules `path` and everything in it: files first, deepest first, each
// folder after its contents, once every folder in it is administrators' only. A link (junction or
// symbolic link) is scheduled as a link; its target is never entered.
RestartDelete DeleteAtRestart(const CWidePath& path);
