// The delete the program does itself where the shell cannot take a folder
// whole (an entry past MAX_PATH, a file held open), and where what it does
// must be told: by "\\?\" paths, which reach every depth, one entry at a
// time, each opened relative to the folder held above it.
#pragma once

#include "removal/held/HeldEntry.h"

// What an entry is opened with for the delete below.
const ACCESS_MASK kTreeDeleteAccess =
    DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;

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
// The same for the entry held (opened with kTreeDeleteAccess as itself) at
// `path`: a folder with what it holds, anything else, a link included, as
// itself. True when each delete was answered with success: Wine answers so
// and keeps a folder whose entries are still open elsewhere, so the caller
// looks again.
bool DeleteHeldTree(CHeldEntry& entry, const CWidePath& path, CDeleteWatch* watch, DWORD* waited);
