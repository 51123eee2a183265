// A folder named by its whole path, where a pupil may change a folder on the
// way (one made at a drive's root, C:\Temp) between two calls of ours: it is
// reached from the drive's root, each folder opened as itself relative to the
// one held above it, so that nothing renamed meanwhile leads elsewhere.
#pragma once

#include "removal/held/HeldEntry.h"

enum HeldPathVerdict {
  kPathHeld,
  // A link on the way that others than the trusted accounts could have made
  // or changed: where it leads is theirs to choose.
  kPathThroughDistrustedLink,
  // Missing, no folder, or not opened; the last error says why.
  kPathNotReached,
};

// Holds the folder `path` ("\\?\" form) names for `access`. A link on the
// way is followed only where none but the trusted accounts could have made
// or changed it (as the install folder's link is); a missing folder is made
// when `make`. `stopped` gets the path of what ended the walk.
HeldPathVerdict HoldFolderPath(const CWidePath& path, ACCESS_MASK access, bool make,
                               CHeldEntry& folder, CWidePath& stopped);
