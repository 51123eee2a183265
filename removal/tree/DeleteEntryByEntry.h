// The delete the program does itself where the shell cannot take a folder
// whole (an entry past MAX_PATH, a file held open), and where what it does
// must be told: by "\\?\" paths, which reach every depth, one entry at a
// time, each opened relative to the folder held above it.
#pragma once

#include "removal/held/HeldEntry.h"

// What a delete tells as it goes; the paths are in "\\?\" form.
class CDeleteWatch {
 public:
  // `file` is about to go.
  virtual void Deleting(const CWidePath& file) = 0;
  // `entry` could not go (nor, for a folder, what it held); the delete ends
  // there.
  virtual void Stays(const CWidePath& entry, bool folder) = 0;

 protected:
  ~CDeleteWatch() {}
};

// Deletes all of `folder` that can go now: files (read-only ones too), each
// folder after its contents, and a junction or symbolic link as a link, never
// entered. True when `folder` is gone; else what is left is what could not go
// and, in the folders left, names Windows is deleting as the programs holding
// them let go. A `folder` that is itself a link is left whole (false).
// Unwatched, every entry is tried; watched, the delete stops at the first
// that stays. `waited` gets the milliseconds spent waiting for other
// programs to let go (a few seconds at most).
bool DeleteEntryByEntry(const CWidePath& folder, CDeleteWatch* watch = NULL, DWORD* waited = NULL);
// The same for the folder held (at `path`), held with DELETE,
// FILE_LIST_DIRECTORY and both attribute rights: whatever its name leads to
// now. True when it is gone or going.
bool DeleteHeldTree(CHeldEntry& folder, const CWidePath& path, CDeleteWatch* watch);
