// Which folder a name leads to, whatever the name: two names lead to the same
// folder when their volume and file index agree (8.3 names, links, "\\?\"
// prefixes and other drives onto the same folder all do).
#pragma once

#include "removal/WidePath.h"

struct FolderIdentity {
  DWORD volume;
  DWORD indexHigh;
  DWORD indexLow;
  // Where the folder lies as Windows resolves it through every link ("X:\..."
  // or "\\server\share\..."), in UTF-8; "" where this Windows cannot tell.
  CString finalPath;

  bool operator==(const FolderIdentity& other) const {
    return volume == other.volume && indexHigh == other.indexHigh && indexLow == other.indexLow;
  }
};

enum IdentityLookup {
  kIdentityKnown,
  kNoSuchFolder,     // nothing by that name is there now
  kIdentityUnknown,  // it may be there, but could not be opened or read
};

// `askFinal`: the final path is asked for too, which costs as much as several
// opens under Wine; else it is left "".
IdentityLookup IdentifyFolder(const CWidePath& path, FolderIdentity& identity, bool askFinal);
