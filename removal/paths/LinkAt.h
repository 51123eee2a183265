// Links met by name rather than in a listing: the folders the removal is given
// to delete, and the folders on the way to them, may be junctions or symbolic
// links that a pupil planted. Nothing is ever deleted through one.
#pragma once

#include "removal/WidePath.h"

// True when `path` itself is a junction or symbolic link (not followed), or
// when what it is cannot be told; false when nothing is there.
bool IsLinkAt(const CWidePath& path);
// The folder the link at `link` leads to, through every link, in its usual
// form; false where this Windows cannot tell (before Vista) or the link leads
// nowhere.
bool FolderBehind(const CWidePath& link, CWidePath& target);
// Removes the link at `path` as a link; what it leads to is not touched.
bool RemoveLink(const CWidePath& path);
