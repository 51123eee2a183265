// The folders that Windows and other programs need, as this system names
// them now.
#pragma once

#include "platform/Afx.h"

// The Windows folder, needed with everything inside it and above it. False
// when the system could not name it.
bool FindWindowsFolder(CString& windows);

// Takes the other needed folders one at a time, as the system names them.
class CNeededFolderSink {
 public:
  // `folder` is needed with every folder above it; `profile` marks the
  // user's profile, every folder beside which is a profile too. True when
  // nothing more needs to be named.
  virtual bool Take(const CString& folder, bool profile) = 0;

 protected:
  ~CNeededFolderSink() {}
};

// Names the needed folders other than the Windows folder to `sink` until it
// has had enough. False when a lookup that this Windows supports failed: the
// list is then not whole. A folder that this Windows version does not have
// is not named.
bool FindSystemFolders(CNeededFolderSink& sink);
