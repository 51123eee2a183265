// Folders that Windows or other programs need. The install folder is erased
// whole, so none of these may ever become it, however it is spelt.
#pragma once

#include "removal/WidePath.h"

// `folder` placed where Windows would find it now: a relative folder (also
// "\name" or "X:name") is joined to the current directory; a full one and ""
// are kept as they are. False when the current directory cannot be read.
bool FullFolderPath(const CWidePath& folder, CWidePath& full);

enum FolderVerdict {
  kFolderErasable,
  kFolderProtected,
  kFolderUnchecked,          // whether it is protected could not be told
  kFolderNameWithWildcards,  // '*' or '?': a pattern, not one folder
};

// Whether `folder` may be erased whole. Protected are: a drive root, the
// Windows folder and everything in it, a user profile and every folder beside
// it, and the folders the system names (see SystemFolders.h) with every folder
// above them. It is judged by what the name leads to: case, separators, short
// names, a "\\?\" prefix and links to such a folder do not matter, and where
// Windows tells a folder's final path (Vista on) a link is judged as the
// folder it leads to, inside Windows or a profile too; a relative folder is
// judged where it is now. "" (no install folder) is erasable. When
// the system cannot name one of those folders, or a folder cannot be opened to
// tell which it is, or a relative folder cannot be placed, it is unchecked.
FolderVerdict JudgeFolder(const CWidePath& folder);
// Anything but erasable.
bool IsProtectedFolder(const CWidePath& folder);
// Whether `folder` is `outer` or lies inside it, both full, judged like the
// protected folders by what the names lead to (short names, links, final
// paths). True also when that cannot be told.
bool MayLieInside(const CWidePath& folder, const CWidePath& outer);
