// The way down from a folder opened by its path (a profile, or a shell folder
// the system names) to what lies below it, on held handles: each folder on
// the way is opened relative to the one above, as itself, and held while
// later look-ups share it. A pupil who swaps a folder of hers on the way for
// a link, even between two of our calls, steers nothing: no link on the way
// is entered, and nothing below the top is looked up by its whole name.
#pragma once

#include "removal/held/HeldEntry.h"

class CHeldWay {
 public:
  CHeldWay() : m_top(STATUS_OBJECT_NAME_NOT_FOUND), m_depth(0) {}
  // Holds the folder at the full path `top`, as itself.
  void Start(const CWidePath& top);
  // Opens `below` (parts separated by "\", empty parts passed over) for
  // `access` into `entry`, as itself and as its folder's listing shows it
  // (see CHeldEntry::OpenIn). STATUS_STOPPED_ON_SYMLINK when the top or a
  // folder on the way is a link, STATUS_OBJECT_NAME_NOT_FOUND when one is
  // not there, STATUS_NOT_A_DIRECTORY when one is a file.
  NTSTATUS Open(const CWidePath& below, ACCESS_MASK access, CHeldEntry& entry);

 private:
  // Far more levels than any profile's way to a program folder.
  static const int kLevels = 16;
  // Lets go of the folders from `level` down.
  void Keep(int level);

  NTSTATUS m_top;  // how the top was opened
  CHeldEntry m_folders[kLevels];
  CWidePath m_ways[kLevels];  // the part of `below` each folder held stands for
  int m_depth;                // folders held
};
